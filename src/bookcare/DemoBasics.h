#pragma once

#include <QFont>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cmath>

// What every part of the demo writer shares: a repeatable random source, the text of
// its tables and the font its pictures are lettered in.
namespace kelpora::bookcare::demo {

// splitmix64: tiny, and unlike the standard distributions its output is the same with
// every compiler and library, which is what makes the book repeatable.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) { }

    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // lo..hi, both included.
    int range(int lo, int hi) { return lo + int(next() % quint64(hi - lo + 1)); }
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    bool chance(double p) { return unit() < p; }

private:
    quint64 m_state;
};

inline quint64 mix(quint64 a, quint64 b)
{
    return Rng(a ^ (b * 0xd6e8feb86659fd93ull)).next();
}

// The tables hold their Japanese as UTF-8 literals.
inline QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

inline QFont uiFont(double pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setBold(bold);
    return f;
}

} // namespace kelpora::bookcare::demo
