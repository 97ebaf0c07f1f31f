// The program's toolbar and tree images, drawn by the program and looked up by key.

#include "icons.h"

#include <QPainter>
#include <QPixmap>
#include <map>

namespace kestle {

QColor palette_colour(int n) {
    static const int rgb[16][3] = {{0, 0, 0},       {0, 0, 128},     {0, 128, 0},     {0, 128, 128},
                                   {128, 0, 0},     {128, 0, 128},   {128, 128, 0},   {192, 192, 192},
                                   {128, 128, 128}, {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                                   {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
    n = n < 0 || n > 15 ? 0 : n;
    return QColor(rgb[n][0], rgb[n][1], rgb[n][2]);
}

namespace {

struct Glyph {
    QColor colour;
    const char *text;
};

// A rounded tile in a colour with a short mark, so every key looks different.
QIcon draw(const Glyph &g) {
    QPixmap p(20, 20);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(g.colour);
    painter.setPen(g.colour.darker(150));
    painter.drawRoundedRect(QRectF(1, 1, 18, 18), 4, 4);
    QFont f = painter.font();
    f.setPixelSize(9);
    f.setBold(true);
    painter.setFont(f);
    painter.setPen(g.colour.lightness() > 140 ? Qt::black : Qt::white);
    painter.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QString::fromLatin1(g.text));
    return QIcon(p);
}

const std::map<std::string, Glyph> &glyphs() {
    static const std::map<std::string, Glyph> g = {
        {"exit", {QColor(170, 40, 40), "X"}},      {"info", {QColor(40, 90, 170), "i"}},
        {"trash", {QColor(110, 110, 110), "Del"}}, {"sql", {QColor(40, 120, 60), "SQL"}},
        {"connect", {QColor(150, 100, 20), "DB"}}, {"settings", {QColor(90, 60, 140), "Aa"}},
        {"qbe", {QColor(200, 120, 30), "Img"}},    {"runon", {QColor(30, 150, 30), "On"}},
        {"runoff", {QColor(150, 30, 30), "Off"}},  {"spatial", {QColor(30, 130, 130), "Map"}},
        {"open", {QColor(200, 170, 60), "Opn"}},   {"return", {QColor(90, 90, 90), "<"}},
        {"run", {QColor(30, 150, 30), ">"}},       {"runat", {QColor(30, 120, 90), ">@"}},
        {"paste", {QColor(120, 90, 60), "P"}},     {"recall", {QColor(60, 90, 150), "R"}},
        {"explain", {QColor(140, 60, 120), "Ex"}}, {"plot", {QColor(60, 120, 170), "Pl"}},
        {"magnify", {QColor(80, 80, 160), "+"}},   {"sql-error", {QColor(200, 30, 30), "!"}},
        {"sql-ok", {QColor(30, 160, 60), "ok"}},   {"infobad", {QColor(200, 80, 40), "i"}},
        {"clock", {QColor(120, 120, 40), "t"}},    {"run-error", {QColor(200, 30, 30), ">"}},
        {"warning", {QColor(230, 180, 0), "!"}},   {"errorinfo", {QColor(200, 60, 60), "?"}},
        {"g0", {QColor(100, 100, 100), "g"}},      {"terminal", {QColor(30, 30, 30), ">_"}},
        {"editor", {QColor(60, 110, 160), "Ed"}},  {"clp", {QColor(40, 120, 60), "zal"}},
        {"files", {QColor(200, 170, 60), "F"}},    {"monitor", {QColor(90, 60, 140), "Mon"}},
        {"browser", {QColor(40, 90, 170), "www"}}, {"home", {QColor(150, 100, 20), "H"}},
        {"calc", {QColor(110, 110, 110), "="}},
        {"left", {QColor(60, 90, 150), "<<"}},     {"right", {QColor(60, 90, 150), ">>"}},
        {"close", {QColor(170, 40, 40), "X"}},     {"edit", {QColor(150, 100, 20), "Ed"}},
        {"clear", {QColor(110, 110, 110), "Clr"}},
        {"and", {QColor(60, 90, 150), "&"}},       {"or", {QColor(60, 120, 170), "|"}},
    };
    return g;
}

} // namespace

QIcon icon(const std::string &key) {
    static std::map<std::string, QIcon> cache;
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    QIcon made;
    if (key.size() >= 2 && key[0] == 'c' && key.find_first_not_of("0123456789", 1) == std::string::npos) {
        // "c0" to "c15": the colour of a result
        made = draw({palette_colour(std::stoi(key.substr(1))), ""});
    } else if (auto g = glyphs().find(key); g != glyphs().end()) {
        made = draw(g->second);
    } else {
        made = draw({QColor(160, 160, 160), key.empty() ? "" : key.substr(0, 1).c_str()});
    }
    cache.emplace(key, made);
    return made;
}

} // namespace kestle
