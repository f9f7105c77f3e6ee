#include "sheet/xlsx/shared_strings.h"

#include "sheet/xlsx/xml.h"

namespace orvandel::sheet::xlsx {

class shared_strings_handler final : public xml_handler {
public:
    shared_strings_handler(shared_strings& table, std::size_t limit)
        : table_(table), limit_(limit) {}

    // Phonetic guides (rPh) are not part of the text.
    void start(std::string_view name, const char**) override {
        if (name == "si") {
            text_.clear();
        } else if (name == "rPh") {
            ++in_phonetic_;
        } else if (name == "t" && in_phonetic_ == 0) {
            in_text_ = true;
        }
    }
    void end(std::string_view name) override {
        if (name == "si") {
            add(unescape(text_.value));
        } else if (name == "rPh" && in_phonetic_ > 0) {
            --in_phonetic_;
        } else if (name == "t") {
            in_text_ = false;
        }
    }
    void text(std::string_view text) override {
        if (in_text_) {
            text_.add(text, limit_);
            if (text_.over) {
                too_much();
            }
        }
    }

private:
    void add(const std::string& text) {
        const std::size_t held =
            table_.texts_.size() + text.size() + (table_.ends_.size() + 1) * sizeof(std::size_t);
        if (held > limit_) {
            too_much();
            return;
        }
        table_.texts_ += text;
        table_.ends_.push_back(table_.texts_.size());
    }
    void too_much() { failure = fail(xlsx_read_error::too_much_text, {}, limit_); }

    shared_strings& table_;
    std::size_t limit_;
    bool in_text_ = false;
    int in_phonetic_ = 0;
    bounded_text text_;
};

calc::result<shared_strings, problem> shared_strings::read(archive& zip, const std::string& part) {
    shared_strings table;
    if (part.empty()) {
        return table;
    }
    table.present_ = true;
    shared_strings_handler handler(table, zip.limits().shared_text_bytes);
    if (auto bad = zip.parse(part, handler)) {
        return std::move(*bad);
    }
    table.texts_.shrink_to_fit();
    table.ends_.shrink_to_fit();
    return table;
}

std::string_view shared_strings::at(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(texts_).substr(begin, ends_[index] - begin);
}

} // namespace orvandel::sheet::xlsx
