#include "retrieval/ListCut.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "retrieval/ListingMarkers.h"
#include "text/TextHelpers.h"

namespace {

bool Lead(char byte)
{
    return IsGbkLeadByte(static_cast<unsigned char>(byte));
}

bool WordAt(const char* data, std::size_t size, std::size_t x, std::string_view word)
{
    return x + word.size() <= size && std::memcmp(data + x, word.data(), word.size()) == 0;
}

// The lead bytes right before x, back to a byte that cannot open a character (it
// ends one, alone or as a trail byte) or to the start: x starts a character when
// they pair up.
std::size_t LeadRunBefore(const char* data, std::size_t x)
{
    std::size_t run = 0;
    while (run < x && Lead(data[x - run - 1]))
        ++run;
    return run;
}

void Replace(char* at)
{
    std::memcpy(at, BlankReplacement.data(), BlankReplacement.size());
}

// The block scans find "blank" whole, and look closer at the other markers only
// where two of their bytes are in place: bytes within the reach of the "blank"
// comparison, so that the same loads serve, and that seldom stand so elsewhere.
struct Probe {
    std::string_view marker;
    std::size_t first, second;  // from the marker's start
};
constexpr Probe EndProbe{ListEndMarker, 0, 3};        // "<" and "v" of "<div"
constexpr Probe NotFoundProbe{NotFoundWording, 0, 4};  // the first bytes of 没 and 找
constexpr std::size_t BlankProbe = Blank.size() - 1;
static_assert(EndProbe.second <= BlankProbe && NotFoundProbe.second <= BlankProbe);
static_assert(Blank == "blank");

// The lanes a word starting at each of starts covers: words never overlap, so the
// sum of the shifted starts is their union.
constexpr unsigned WordLanes = (1u << Blank.size()) - 1;

// Lanes of a block (bit n for the byte at the block's start + n) and the few past it
// that a word found near its end reaches into.
__extension__ typedef unsigned __int128 Window;

// One cut of one page, moving the kept bytes down to the front as it goes. Bytes
// ahead of the scan are as fetched; bytes behind it may have been overwritten by the
// moved ones.
class InPlaceCut {
public:
    InPlaceCut(std::string& page, std::size_t from)
        : page_(page), data_(page.data()), size_(page.size()), from_(from),
          leadRunBeforeFrom_(LeadRunBefore(data_, from))
    {
        // A word that begins before the list and reaches into it.
        for (std::size_t x = from >= BlankProbe ? from - BlankProbe : 0; x < from; ++x) {
            if (WordAt(data_, size_, x, Blank) && LeadRunBefore(data_, x) % 2 == 0)
                Replace(data_ + x);
        }
    }

    char* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    std::size_t From() const { return from_; }
    // Where the block scans begin. They look at the byte before each block, so a
    // first byte with none before it is looked at alone.
    std::size_t FirstBlock()
    {
        if (from_ > 0 || size_ == 0)
            return from_;
        if (Check(0) == Found::ReplacedWord)
            Replace(data_);
        return 1;
    }

    // Acts on the marker that may begin at each lane set in lanes of the block at
    // `at`, in order, before the block is moved, and returns the lanes to be
    // replaced. Stops at the list-end marker if it ends the list.
    [[gnu::noinline]] Window CheckLanes(std::size_t at, std::uint64_t lanes)
    {
        moved_ = at;
        Window replace = 0;
        for (; lanes != 0; lanes &= lanes - 1) {
            const auto lane = static_cast<std::size_t>(__builtin_ctzll(lanes));
            const Found found = Check(at + lane);
            if (found == Found::ListEnd)
                break;
            if (found == Found::ReplacedWord)
                replace |= Window{WordLanes} << lane;
        }
        return replace;
    }

    // Whether the list-end marker has ended the list.
    bool Ended() const { return ended_; }

    // Goes on byte by byte from at, where the block scan stopped with the lanes
    // from there still to be replaced, moves the rest of what is kept and returns
    // whether the not-found wording lies inside it.
    bool Finish(std::size_t at, Window replace)
    {
        for (std::size_t x = at; replace != 0; ++x, replace >>= 1) {
            if (replace & 1)
                data_[x] = BlankReplacement[0];
        }
        moved_ = at;
        for (std::size_t x = at; !ended_ && x < size_; ++x) {
            if (Check(x) == Found::ReplacedWord)
                Replace(data_ + x);
        }
        const std::size_t kept = ended_ ? end_ : size_;
        if (kept > at)
            std::memmove(data_ + at - from_, data_ + at, kept - at);
        page_.resize(kept - from_);
        return notFoundAt_ != std::string::npos && notFoundAt_ + NotFoundWording.size() <= kept;
    }

private:
    enum class Found { Nothing, ListEnd, ReplacedWord };

    // Whether the original byte at y opens a character, wherever it is now.
    bool OriginalLead(std::size_t y) const { return Lead(y + from_ >= moved_ ? data_[y] : data_[y - from_]); }

    bool StartsCharacter(std::size_t x) const
    {
        std::size_t run = 0;
        for (std::size_t y = x; y > from_; ++run) {
            if (!OriginalLead(--y))
                return run % 2 == 0;
        }
        return (run + leadRunBeforeFrom_) % 2 == 0;
    }

    Found Check(std::size_t x)
    {
        switch (data_[x]) {
        case ListEndMarker[0]:
            if (endMarkerCounts_ && WordAt(data_, size_, x, ListEndMarker)) {
                // Right at the start it cuts nothing, and only the first one counts.
                if (x == from_) {
                    endMarkerCounts_ = false;
                    return Found::Nothing;
                }
                end_ = x - 1;
                ended_ = true;
                return Found::ListEnd;
            }
            return Found::Nothing;
        case NotFoundWording[0]:
            if (notFoundAt_ == std::string::npos && WordAt(data_, size_, x, NotFoundWording))
                notFoundAt_ = x;
            return Found::Nothing;
        case Blank[0]:
            return WordAt(data_, size_, x, Blank) && StartsCharacter(x) ? Found::ReplacedWord : Found::Nothing;
        default:
            return Found::Nothing;
        }
    }

    std::string& page_;
    char* const data_;
    const std::size_t size_, from_;
    const std::size_t leadRunBeforeFrom_;
    std::size_t moved_ = 0;  // the bytes from from_ up to this have been moved down by from_
    std::size_t end_ = 0;    // where the kept bytes end, once the list-end marker is met
    bool endMarkerCounts_ = true;
    bool ended_ = false;
    std::size_t notFoundAt_ = std::string::npos;
};

// Writes the replacement into the lanes of a moved block that bits names.
void ReplaceLanes(char* block, std::uint64_t bits)
{
    for (; bits != 0; bits &= bits - 1)
        block[__builtin_ctzll(bits)] = BlankReplacement[0];
}

// A block scan moves whole blocks from the cut's start while a block and its probes
// fit in the page, and returns where it stopped, with the lanes from there on still
// to be replaced in pending. It stops early in the block where the list ends.
using BlockScan = std::size_t (*)(InPlaceCut& cut, Window& pending);

template <BlockScan scan>
bool CutWith(std::string& page, std::size_t from)
{
    InPlaceCut cut(page, from);
    Window pending = 0;
    const std::size_t at = scan(cut, pending);
    return cut.Finish(at, pending);
}

// Each block scan below finds, per block, the lanes where "blank" begins whole
// (starts) and those that need a closer look (closer): where another marker may
// begin, and where "blank" begins right after a byte with its top bit set, which
// may open a character. A "blank" after any other byte begins a character.

// Sixteen bytes at a time in the compiler's portable vectors.
std::size_t ScanPortable(InPlaceCut& cut, Window& pending)
{
    constexpr std::size_t Width = 16;
    using Lanes = unsigned char __attribute__((vector_size(Width)));
    const auto load = [](const char* at) {
        Lanes lanes;
        std::memcpy(&lanes, at, Width);
        return lanes;
    };
    const auto splat = [](char byte) {
        Lanes lanes;
        for (std::size_t lane = 0; lane < Width; ++lane)
            lanes[lane] = static_cast<unsigned char>(byte);
        return lanes;
    };
    const auto probeAt = [&](const char* at, Probe probe) {
        return (load(at + probe.first) == splat(probe.marker[probe.first]))
               & (load(at + probe.second) == splat(probe.marker[probe.second]));
    };
    // One bit per lane, from the top bit of each.
    const auto bits = [](const auto& lanes) {
        std::uint64_t words[2];
        std::memcpy(words, &lanes, Width);
        const auto half = [](std::uint64_t word) { return ((word & 0x8080808080808080u) * 0x0002040810204081u) >> 56; };
        return half(words[0]) | half(words[1]) << 8;
    };

    char* const data = cut.Data();
    const std::size_t size = cut.Size(), from = cut.From();
    Window replace = 0;
    std::size_t at = cut.FirstBlock();
    for (; at + Width + BlankProbe <= size; at += Width, replace >>= Width) {
        const Lanes head = load(data + at);
        auto word = head == splat(Blank[0]);
        for (std::size_t k = 1; k < Blank.size(); ++k)
            word &= load(data + at + k) == splat(Blank[k]);
        const auto other = probeAt(data + at, EndProbe) | probeAt(data + at, NotFoundProbe);
        const std::uint64_t starts = bits(word);
        const std::uint64_t closer = bits(other | (word & (load(data + at - 1) >= splat(static_cast<char>(0x80)))));
        replace |= Window{starts & ~closer} * WordLanes;
        if (closer != 0) {
            replace |= cut.CheckLanes(at, closer);
            if (cut.Ended())
                break;
        }
        std::memcpy(data + at - from, &head, Width);
        ReplaceLanes(data + at - from, static_cast<std::uint16_t>(replace));
    }
    pending = replace;
    return at;
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] __m256i Load32(const char* at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// All ones in the lanes where the probe's two bytes are in place.
[[gnu::target("avx2")]] __m256i ProbeAt32(const char* at, Probe probe)
{
    return _mm256_and_si256(_mm256_cmpeq_epi8(Load32(at + probe.first), _mm256_set1_epi8(probe.marker[probe.first])),
                            _mm256_cmpeq_epi8(Load32(at + probe.second), _mm256_set1_epi8(probe.marker[probe.second])));
}

[[gnu::target("avx2")]] std::size_t ScanAvx2(InPlaceCut& cut, Window& pending)
{
    constexpr std::size_t Width = 32;
    char* const data = cut.Data();
    const std::size_t size = cut.Size(), from = cut.From();
    // For spreading the 32 replacement bits over 32 byte lanes.
    const __m256i byteOfBits = _mm256_setr_epi64x(0, 0x0101010101010101, 0x0202020202020202, 0x0303030303030303);
    const __m256i bitOfByte = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201u));
    const __m256i replacement = _mm256_set1_epi8(BlankReplacement[0]);
    Window replace = 0;
    std::size_t at = cut.FirstBlock();
    for (; at + Width + BlankProbe <= size; at += Width, replace >>= Width) {
        const __m256i head = Load32(data + at);
        __m256i word = _mm256_cmpeq_epi8(head, _mm256_set1_epi8(Blank[0]));
        for (std::size_t k = 1; k < Blank.size(); ++k)
            word = _mm256_and_si256(word, _mm256_cmpeq_epi8(Load32(data + at + k), _mm256_set1_epi8(Blank[k])));
        const __m256i other = _mm256_or_si256(ProbeAt32(data + at, EndProbe), ProbeAt32(data + at, NotFoundProbe));
        const std::uint64_t starts = static_cast<std::uint32_t>(_mm256_movemask_epi8(word));
        const std::uint64_t closer = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_or_si256(other, _mm256_and_si256(word, Load32(data + at - 1)))));
        replace |= Window{starts & ~closer} * WordLanes;
        if (closer != 0) {
            replace |= cut.CheckLanes(at, closer);
            if (cut.Ended())
                break;
        }
        const __m256i spread = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(replace)), byteOfBits);
        const __m256i replaced = _mm256_cmpeq_epi8(_mm256_and_si256(spread, bitOfByte), bitOfByte);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(data + at - from), _mm256_blendv_epi8(head, replacement, replaced));
    }
    pending = replace;
    return at;
}

// Sixty-four bytes at a time. Loads are the scarce part here: each block is loaded
// once at each offset the comparisons need, and every comparison works on those.
constexpr int OrDiffering = 0xF6;  // a | (b ^ c), for _mm512_ternarylogic_epi64

// Zero in the lanes where the probe's two bytes are in place, given the block from
// each byte on and the probe's two bytes.
[[gnu::target("avx512bw")]] __m512i ProbeDiff64(const __m512i* shifted, Probe probe, const __m512i* bytes)
{
    return _mm512_ternarylogic_epi64(_mm512_xor_si512(shifted[probe.first], bytes[0]), bytes[1], shifted[probe.second],
                                     OrDiffering);
}

[[gnu::target("avx512bw")]] std::size_t ScanAvx512(InPlaceCut& cut, Window& pending)
{
    constexpr std::size_t Width = 64;
    constexpr int OrUnlessTopBitOfC = 0xF4;  // a | (b & ~c)
    char* const data = cut.Data();
    const std::size_t size = cut.Size(), from = cut.From();

    __m512i blankBytes[Blank.size()];
    for (std::size_t k = 0; k < Blank.size(); ++k)
        blankBytes[k] = _mm512_set1_epi8(Blank[k]);
    __m512i endBytes[] = {_mm512_set1_epi8(EndProbe.marker[EndProbe.first]),
                          _mm512_set1_epi8(EndProbe.marker[EndProbe.second])};
    __m512i notFoundBytes[] = {_mm512_set1_epi8(NotFoundProbe.marker[NotFoundProbe.first]),
                               _mm512_set1_epi8(NotFoundProbe.marker[NotFoundProbe.second])};
    __m512i topBit = _mm512_set1_epi8(static_cast<char>(0x80));
    __m512i replacement = _mm512_set1_epi8(BlankReplacement[0]);
    // Opaque to the compiler, which would otherwise make some of them anew in every
    // block rather than keep them.
    asm("" : "+v"(blankBytes[0]), "+v"(blankBytes[1]), "+v"(blankBytes[2]), "+v"(blankBytes[3]), "+v"(blankBytes[4]));
    asm("" : "+v"(endBytes[0]), "+v"(endBytes[1]), "+v"(notFoundBytes[0]), "+v"(notFoundBytes[1]), "+v"(topBit),
        "+v"(replacement));

    // The lanes to be replaced in the next block, of words that begin in this one.
    // Two plain words, not a Window: fewer instructions in a loop that is short of them.
    std::uint64_t carry = 0;
    std::size_t at = cut.FirstBlock();
    for (; at + Width + BlankProbe <= size; at += Width) {
        const char* const block = data + at;
        __m512i shifted[Blank.size()];  // the block from each byte on
        for (std::size_t k = 0; k < Blank.size(); ++k)
            shifted[k] = _mm512_loadu_si512(block + k);
        // Opaque too, or the compiler loads again where a comparison takes one.
        asm("" : "+v"(shifted[0]), "+v"(shifted[1]), "+v"(shifted[2]), "+v"(shifted[3]), "+v"(shifted[4]));
        // Zero in the lanes where "blank" begins.
        __m512i blank = _mm512_xor_si512(shifted[0], blankBytes[0]);
        for (std::size_t k = 1; k < Blank.size(); ++k)
            blank = _mm512_ternarylogic_epi64(blank, blankBytes[k], shifted[k], OrDiffering);
        // Zero where "blank" begins right after a byte with its top bit set.
        const __m512i blankAfterTopBit =
            _mm512_ternarylogic_epi64(blank, topBit, _mm512_loadu_si512(block - 1), OrUnlessTopBitOfC);
        const __m512i closerDiff =
            _mm512_min_epu8(_mm512_min_epu8(ProbeDiff64(shifted, EndProbe, endBytes),
                                            ProbeDiff64(shifted, NotFoundProbe, notFoundBytes)),
                            blankAfterTopBit);
        const __mmask64 closer = _mm512_testn_epi8_mask(closerDiff, closerDiff);
        const std::uint64_t starts = _mm512_mask_testn_epi8_mask(_knot_mask64(closer), blank, blank);
        // Words never overlap, so at most one begins in the block's last four lanes.
        std::uint64_t lanes = starts * WordLanes | carry;
        carry = ((starts >> (Width - BlankProbe)) * WordLanes) >> BlankProbe;
        if (!_kortestz_mask64_u8(closer, closer)) {
            const Window checked = cut.CheckLanes(at, closer);
            lanes |= static_cast<std::uint64_t>(checked);
            carry |= static_cast<std::uint64_t>(checked >> Width);
            if (cut.Ended()) {
                pending = Window{carry} << Width | lanes;
                return at;
            }
        }
        _mm512_storeu_si512(data + at - from, _mm512_mask_mov_epi8(shifted[0], lanes, replacement));
    }
    pending = carry;
    return at;
}
#endif

std::vector<ListCutter> CuttersOfThisProcessor()
{
    std::vector<ListCutter> cutters;
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx512bw"))
        cutters.push_back(CutWith<ScanAvx512>);
    if (__builtin_cpu_supports("avx2"))
        cutters.push_back(CutWith<ScanAvx2>);
#endif
    cutters.push_back(CutWith<ScanPortable>);
    return cutters;
}

}  // namespace

std::string ReplacedSpan(const std::string& page, std::size_t from, std::size_t to)
{
    std::string span = page.substr(from, to - from);
    // Only words that begin before `to` matter: the search looks no further.
    const std::string_view reach(page.data(), std::min(to + BlankProbe, page.size()));
    for (std::size_t x = reach.find(Blank, from >= BlankProbe ? from - BlankProbe : 0); x < to;
         x = reach.find(Blank, x + 1)) {
        if (LeadRunBefore(page.data(), x) % 2 == 0) {
            const std::size_t first = std::max(x, from), last = std::min(x + Blank.size(), to);
            std::memset(span.data() + (first - from), BlankReplacement[0], last - first);
        }
    }
    return span;
}

const std::vector<ListCutter>& ListCutters()
{
    static const std::vector<ListCutter> cutters = CuttersOfThisProcessor();
    return cutters;
}

bool CutListInPlace(std::string& page, std::size_t from)
{
    return ListCutters().front()(page, from);
}
