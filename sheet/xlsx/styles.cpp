#include "sheet/xlsx/styles.h"

#include "sheet/xlsx/xml.h"

namespace orvandel::sheet::xlsx {
namespace {
// More formats than any workbook has; later ones read as General.
constexpr std::size_t max_formats = 65'536;
const number_format general{};
} // namespace

class styles_handler final : public xml_handler {
public:
    explicit styles_handler(styles& out) : out_(out) {}

    void start(std::string_view name, const char** attributes) override {
        if (name == "cellXfs") {
            in_cell_formats_ = true;
        } else if (name == "numFmt" && custom_.size() < max_formats) {
            const auto id = whole_number(attribute(attributes, "numFmtId").value_or(""));
            if (id) {
                custom_[*id] = custom_format(attribute(attributes, "formatCode").value_or(""));
            }
        } else if (name == "xf" && in_cell_formats_ && ids_.size() < max_formats) {
            ids_.push_back(
                whole_number(attribute(attributes, "numFmtId").value_or("0")).value_or(0));
        }
    }
    void end(std::string_view name) override {
        if (name == "cellXfs") {
            in_cell_formats_ = false;
        }
    }

    // Each cell style's format, once the whole part is read.
    void finish() {
        out_.cell_formats_.reserve(ids_.size());
        for (const std::size_t id : ids_) {
            const auto own = custom_.find(id);
            out_.cell_formats_.push_back(own != custom_.end() ? own->second : built_in_format(id));
        }
    }

private:
    styles& out_;
    bool in_cell_formats_ = false;
    std::vector<std::size_t> ids_;
    std::map<std::size_t, number_format> custom_;
};

calc::result<styles, problem> styles::read(archive& zip, const std::string& part) {
    styles read;
    if (part.empty()) {
        return read;
    }
    styles_handler handler(read);
    if (auto bad = zip.parse(part, handler)) {
        return std::move(*bad);
    }
    handler.finish();
    return read;
}

const number_format& styles::format(std::size_t index) const {
    return index < cell_formats_.size() ? cell_formats_[index] : general;
}

} // namespace orvandel::sheet::xlsx
