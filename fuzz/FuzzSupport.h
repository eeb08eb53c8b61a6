#pragma once

// What the fuzz targets share: a failed check that names itself, and a reader that takes
// structured choices from the input bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define TAVRO_FUZZ_CHECK(cond)                                                            \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (false)

namespace tavro::fuzz {

// Choices from the front of the input; an input that has run out answers 0 to everything,
// so that a short input is a plain run.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    std::size_t Left() const { return size_ - pos_; }

    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A number in 0 .. n - 1 from one byte (two when n exceeds 256).
    int Below(int n) {
        if (n <= 1) {
            return 0;
        }
        unsigned v = Byte();
        if (n > 256) {
            v = v * 256U + Byte();
        }
        return static_cast<int>(v % static_cast<unsigned>(n));
    }

    bool Flag() { return (Byte() & 1U) != 0; }

    // Up to `n` bytes as text.
    std::string Text(std::size_t n) {
        const std::size_t k = n < Left() ? n : Left();
        std::string out(reinterpret_cast<const char*>(data_ + pos_), k);
        pos_ += k;
        return out;
    }

    // Everything that is left.
    std::string_view Rest() {
        const std::string_view out(reinterpret_cast<const char*>(data_ + pos_), Left());
        pos_ = size_;
        return out;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace tavro::fuzz
