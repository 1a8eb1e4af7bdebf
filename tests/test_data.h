#pragma once
// Deterministic inputs for the library tests: fixed seeds, so a failure repeats.

#include <QStringEncoder>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testdata {

using Bytes = std::vector<std::uint8_t>;

inline Bytes randomBytes(std::uint32_t seed, std::size_t n, int alphabet = 256) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(0, alphabet - 1);
    Bytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(d(rng));
    return out;
}

inline Bytes gbk(const QString& s) {
    QStringEncoder enc("GBK");
    const QByteArray b = enc.encode(s);
    return Bytes(b.begin(), b.end());
}

// Chinese prose in GBK, n bytes long (cut at a byte, which is what blocks do too),
// built by drawing sentences at random so that repeats are near and far.
inline Bytes gbkProse(std::uint32_t seed, std::size_t n) {
    static const char* const kSentences[] = {
        "天下大事，必作于细；天下难事，必作于易。",
        "学而时习之，不亦说乎？有朋自远方来，不亦乐乎？",
        "山不在高，有仙则名。水不在深，有龙则灵。",
        "先天下之忧而忧，后天下之乐而乐。",
        "读书之乐乐何如？绿满窗前草不除。",
        "春风又绿江南岸，明月何时照我还？",
        "古之学者必有师。师者，所以传道受业解惑也。",
        "此文收录于本文集，共二百四十篇。\r\n",
        "他说：“今天的天气很好，我们去看看山里的桃花吧。”\r\n",
        "夫兵者，不祥之器，物或恶之，故有道者不处。",
    };
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> d(0, std::size(kSentences) - 1);
    Bytes out;
    while (out.size() < n) {
        const Bytes s = gbk(QString::fromUtf8(kSentences[d(rng)]));
        out.insert(out.end(), s.begin(), s.end());
    }
    out.resize(n);
    return out;
}

inline Bytes fill(std::size_t n, std::uint8_t b) {
    return Bytes(n, b);
}

inline Bytes hex(const std::string& text) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

} // namespace testdata
