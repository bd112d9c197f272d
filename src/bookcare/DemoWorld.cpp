#include "bookcare/DemoWorld.h"

#include "bookcare/DemoBasics.h"

namespace kelpora::bookcare::demo {

namespace {

constexpr Port kPorts[] = {
    {"館山", 95, 36, 17, 12, 290},
    {"布良", 90, 34, 16, 12, 280},
    {"油壺", 100, 37, 18, 12, 295},
    {"横須賀", 110, 47, 23, 13, 305},
    {"千葉", 120, 54, 26, 14, 320},
    {"勝浦", 90, 33, 16, 12, 275},
    {"銚子漁港", 80, 30, 14, 11, 265},
};

constexpr Place kPlaces[] = {
    {"館山", 0, {"沖堤防", "夕日桟橋", "船", "磯"}},
    {"富津", 4, {"富津岬", "新富津漁港", "船", "サーフ"}},
    {"城ヶ島", 2, {"磯", "赤羽根崎", "船", "白秋碑前"}},
    {"三崎", 2, {"港内", "岸壁", "船", "防波堤"}},
    {"鴨川", 5, {"磯", "堤防先端", "船", "ゴロタ浜"}},
    {"銚子", 6, {"外川港", "黒生堤防", "船", "河口"}},
    {"勝浦", 5, {"興津港", "磯", "船", "防波堤"}},
    {"大原", 5, {"大原港", "船", "サーフ", "テトラ帯"}},
    {"保田", 0, {"保田港", "磯", "船", "堤防"}},
    {"金谷", 3, {"金谷港", "磯", "船", "テトラ帯"}},
    {"木更津", 4, {"木更津港", "河口", "盤洲干潟", "岸壁"}},
    {"横須賀", 3, {"うみかぜ公園", "海辺つり公園", "船", "岸壁"}},
};

constexpr Species kSpecies[] = {
    {"アジ", 12, 32, 40, Style::Sabiki},
    {"メバル", 12, 28, 15, Style::Lure},
    {"クロダイ", 25, 55, 3, Style::Fukase},
    {"シーバス", 35, 85, 4, Style::Lure},
    {"カサゴ", 12, 30, 12, Style::Dotsuki},
    {"イシモチ", 15, 38, 10, Style::Nage},
    {"シロギス", 12, 26, 30, Style::Nage},
    {"メジナ", 20, 45, 8, Style::Fukase},
    {"カワハギ", 12, 28, 15, Style::Dotsuki},
    {"イナダ", 35, 60, 6, Style::Lure},
    {"マダイ", 25, 65, 4, Style::Dotsuki},
    {"ハゼ", 8, 18, 60, Style::Nage},
    {"サバ", 20, 42, 25, Style::Sabiki},
    {"ヒラメ", 35, 75, 2, Style::Lure},
    {"カレイ", 18, 40, 6, Style::Nage},
    {"アオリイカ", 15, 40, 4, Style::Lure},
};

constexpr const char* kWeather[] = {"晴れ", "晴れ", "晴れ", "晴れ", "晴れ", "曇り", "曇り", "曇り", "快晴", "快晴",
    "晴れ時々曇り", "晴れ時々曇り", "曇り時々雨", "小雨", "雨", "強風", "霧"};

constexpr const char* kSabiki[] = {"竿：磯竿3号 4.5m", "リール：スピニング3000番", "道糸：ナイロン3号",
    "仕掛け：サビキ6本針 針4号", "カゴ：下カゴ 8号", "コマセ：アミエビ"};
constexpr const char* kFukase[] = {"竿：磯竿1.5号 5.3m", "道糸：ナイロン2.5号", "ハリス：フロロ1.75号 3m",
    "ウキ：円錐ウキ B", "針：チヌ針2号", "餌：オキアミ生", "コマセ：オキアミ3kg＋配合餌"};
constexpr const char* kLure[] = {"ロッド：シーバスロッド 9.6ft", "リール：スピニング4000番",
    "ライン：PE1号＋リーダー20lb", "ルアー：ミノー 12cm", "ルアー：バイブレーション 26g", "ルアー：メタルジグ 30g"};
constexpr const char* kDotsuki[] = {"竿：船竿 1.8m 30号負荷", "リール：小型両軸", "道糸：PE2号",
    "仕掛け：胴突き2本針 ハリス3号", "オモリ：30号", "餌：サバの切り身"};
constexpr const char* kNage[] = {"竿：投げ竿 4.05m 27号", "リール：投げ専用", "道糸：PE1.5号＋力糸",
    "仕掛け：天秤 2本針", "針：キス針7号", "餌：青イソメ"};

constexpr const char* kNotes[] = {"朝まずめに時合いあり。", "潮止まり前後は反応なし。", "北風が強く釣りにくかった。",
    "上げ潮に変わってから連発。", "餌取りが多く苦戦。", "常連さんによると今年は型が良いとのこと。",
    "帰りに釣具店で餌を補充。", "ナブラが出たがルアーは届かず。", "駐車場は満車で少し歩いた。",
    "水温が低めで食い渋り。", "夕まずめに入れ食い。", "根掛かりで仕掛けを3組ロスト。", "波が高く早めに撤収。",
    "隣の人はクロダイを上げていた。", "下げ潮で潮が澄んでから当たりが出た。", "小型はリリース。",
    "次回はもう少し沖目を狙う。", "日の出前に到着、先行者2名。"};

} // namespace

std::span<const Port> ports()
{
    return kPorts;
}

std::span<const Place> places()
{
    return kPlaces;
}

std::span<const Species> species()
{
    return kSpecies;
}

std::span<const char* const> weathers()
{
    return kWeather;
}

std::span<const char* const> tackleFor(Style style)
{
    switch (style) {
    case Style::Sabiki:
        return kSabiki;
    case Style::Fukase:
        return kFukase;
    case Style::Lure:
        return kLure;
    case Style::Dotsuki:
        return kDotsuki;
    case Style::Nage:
        return kNage;
    }
    return kSabiki;
}

std::span<const char* const> noteLines()
{
    return kNotes;
}

const Port& portNamed(const QString& name)
{
    for (const Port& p : kPorts)
        if (name == u(p.name))
            return p;
    return kPorts[0];
}

} // namespace kelpora::bookcare::demo
