#include "sheet/stored_records.h"

namespace orvandel::sheet {
namespace {

// Reads the kept bytes where they are.
class memory_buffer final : public std::streambuf {
public:
    explicit memory_buffer(std::string& bytes) {
        setg(bytes.data(), bytes.data(), bytes.data() + bytes.size());
    }
};

} // namespace

stored_records::stored_records() = default;
stored_records::~stored_records() = default;

void stored_records::add(const csv_record& record, const std::vector<cell>* typed) {
    bytes_.append(record.raw).append(record.line_end);
    if (typed != nullptr) {
        typed_at_.push_back(kept_);
        typed_.push_back(*typed);
    }
    ++kept_;
}

bool stored_records::next(csv_record& record) {
    if (!reader_) {
        buffer_ = std::make_unique<memory_buffer>(bytes_);
        stream_ = std::make_unique<std::istream>(buffer_.get());
        reader_ = std::make_unique<csv_reader>(*stream_);
    }
    if (given_ >= kept_ || !reader_->next(record)) {
        return false;
    }
    current_typed_ = nullptr;
    if (next_typed_ < typed_at_.size() && typed_at_[next_typed_] == given_) {
        current_typed_ = &typed_[next_typed_++];
    }
    ++given_;
    return true;
}

const std::vector<cell>* stored_records::typed_cells() const {
    return current_typed_;
}

} // namespace orvandel::sheet
