#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Works out how a text file is encoded, from its bytes fed in order: a byte-order
// mark decides (UTF-8, UTF-16LE, UTF-16BE); else text that is valid UTF-8 is UTF-8;
// else the encoding uchardet names when it is a multi-byte one, then GB18030.
// Single-byte encodings are never named: they decode anything.
class EncodingDetector {
public:
    EncodingDetector();
    ~EncodingDetector();
    EncodingDetector(const EncodingDetector&) = delete;
    EncodingDetector& operator=(const EncodingDetector&) = delete;

    void Feed(std::string_view bytes);
    // Whether the verdict is already known, so that the rest need not be fed.
    bool Settled() const;

    struct Verdict {
        // iconv names to try in order; the first that decodes the whole text strictly
        // is it. None for text marked UTF-8 that is not.
        std::vector<std::string> candidates;
        std::size_t byteOrderMark = 0;  // bytes of mark at the start, not part of the text
    };
    // Once every byte has been fed.
    Verdict Decide();

private:
    struct Chardet;

    std::string start_;  // the first bytes, for the byte-order mark
    std::string carry_;  // the unfinished UTF-8 sequence at the end of the last piece
    bool validUtf8_ = true;
    std::size_t sampled_ = 0;
    std::unique_ptr<Chardet> chardet_;
};
