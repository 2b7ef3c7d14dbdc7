#include "model/model_line_source.h"

#include <cstring>

#include "base/fatal_error.h"

namespace {

constexpr size_t BlockSize = 64 * 1024;
// A line whose stored characters reach this count is too long whatever
// follows: even if the last of them is a carriage return before a line
// feed, more than MaxModelLineLength remain.
constexpr size_t StoredLimit = MaxModelLineLength + 2;

}  // namespace

ModelLineSource::ModelLineSource(const std::string& path) : path_(path) {
    // Binary mode: the line ends are handled here, the same on every system.
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        fatalFileError(path, "Can't open DD-model file", NoLine);
    }
    block_.resize(BlockSize);
    line_.reserve(StoredLimit);
}

// A file that fails before giving a single byte (a directory, say) could not
// really be opened; a failure later leaves the model cut short.
void ModelLineSource::failedRead() const {
    if (!readAnything_) {
        fatalFileError(path_, "Can't open DD-model file", NoLine);
    }
    fatalError("Corrupt DD-model file", lineNumber());
}

bool ModelLineSource::fill() {
    if (atEnd_) {
        return false;
    }
    size_t count = std::fread(block_.data(), 1, block_.size(), file_.get());
    if (count < block_.size()) {
        if (std::ferror(file_.get())) {
            failedRead();
        }
        atEnd_ = true;
    }
    blockStart_ = 0;
    blockEnd_ = count;
    readAnything_ = readAnything_ || count > 0;
    return count > 0;
}

bool ModelLineSource::next(std::string_view& line) {
    if (blockStart_ == blockEnd_ && !fill()) {
        return false;
    }
    ++lineNumber_;
    line_.clear();
    bool lineFeed = false;
    while (!lineFeed) {
        if (blockStart_ == blockEnd_ && !fill()) {
            break;
        }
        const char* begin = block_.data() + blockStart_;
        size_t available = blockEnd_ - blockStart_;
        const void* found = std::memchr(begin, '\n', available);
        size_t take = found ? static_cast<size_t>(static_cast<const char*>(found) - begin) : available;
        lineFeed = found != nullptr;
        blockStart_ += take + (lineFeed ? 1 : 0);
        if (line_.size() + take >= StoredLimit) {
            fatalError("Line too long", lineNumber());
        }
        line_.append(begin, take);
    }
    if (lineFeed && !line_.empty() && line_.back() == '\r') {
        line_.pop_back();
    }
    if (line_.size() > MaxModelLineLength) {
        fatalError("Line too long", lineNumber());
    }
    line = line_;
    return true;
}
