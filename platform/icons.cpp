// The program's toolbar and tree images, looked up by key, and its own icon.

#include "icons.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

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

// A tile in a colour with a short mark, drawn at each size a bar or tree asks for, so the mark
// stays as large as the tile allows instead of being scaled down from a bigger picture.
QIcon draw(const Glyph &g) {
    QIcon icon;
    const QString mark = QString::fromLatin1(g.text);
    // Dark marks on light tiles, by the colour's brightness to the eye.
    const bool light = 299 * g.colour.red() + 587 * g.colour.green() + 114 * g.colour.blue() > 150000;
    for (int size : {16, 20, 24, 32}) {
        QPixmap p(size, size);
        p.fill(Qt::transparent);
        QPainter painter(&p);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(g.colour);
        painter.setPen(g.colour.darker(150));
        painter.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 6.0, size / 6.0);
        QFont f = painter.font();
        f.setBold(true);
        f.setPixelSize(size * (mark.size() > 2 ? 5 : mark.size() > 1 ? 6 : 8) / 10);
        // A long mark is narrowed until it fits the tile, never made smaller.
        const int room = size - 2;
        const int wide = QFontMetrics(f).horizontalAdvance(mark);
        if (wide > room)
            f.setStretch(std::max(50, 100 * room / wide));
        painter.setFont(f);
        painter.setPen(light ? Qt::black : Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, mark);
        painter.end();
        icon.addPixmap(p);
    }
    return icon;
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

using ThemeNames = std::map<std::string, std::vector<const char *>>;

// The desktop's names for the pictures, best first; keys without one keep their drawn tile.
const ThemeNames &theme_names() {
    static const ThemeNames n = {
        {"exit", {"application-exit"}},
        {"info", {"help-contents"}},
        {"trash", {"edit-delete"}},
        {"sql", {"text-x-sql", "text-x-script"}},
        {"connect", {"network-connect", "network-wired"}},
        {"settings", {"preferences-desktop-font"}},
        {"qbe", {"image-x-generic"}},
        {"runon", {"media-playback-start"}},
        {"runoff", {"media-playback-pause"}},
        {"spatial", {"find-location"}},
        {"open", {"document-open"}},
        {"return", {"window-close"}},
        {"run", {"media-playback-start"}},
        {"runat", {"media-skip-forward"}},
        {"paste", {"edit-paste"}},
        {"recall", {"document-open-recent", "edit-undo"}},
        {"explain", {"document-properties"}},
        {"plot", {"office-chart-line", "x-office-spreadsheet"}},
        {"magnify", {"zoom-in"}},
        {"warning", {"dialog-warning"}},
        {"clp", {"server-database", "utilities-terminal"}},
        {"terminal", {"utilities-terminal"}},
        {"editor", {"accessories-text-editor"}},
        {"files", {"system-file-manager", "folder"}},
        {"monitor", {"utilities-system-monitor"}},
        {"browser", {"help-browser", "internet-web-browser"}},
        {"home", {"folder"}},
        {"calc", {"accessories-calculator"}},
        {"left", {"go-previous"}},
        {"right", {"go-next"}},
        {"close", {"window-close"}},
        {"edit", {"document-edit", "accessories-text-editor"}},
        {"clear", {"edit-clear"}},
    };
    return n;
}

// Where the query log's pictures differ from the toolbars': its "info" is a record count, not help.
const ThemeNames &query_theme_names() {
    static const ThemeNames n = {
        {"info", {"dialog-information"}},
        {"clock", {"clock", "chronometer", "appointment-soon"}},
    };
    return n;
}

// The offscreen platform and a bare X session name no icon theme and look only in Qt's own
// resources: then the installed themes are searched, an installed full theme is used, and it
// also fills the gaps of the desktop's own theme.
void find_icon_theme() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory))
        if (!paths.contains(dir))
            paths << dir;
    QIcon::setThemeSearchPaths(paths);
    auto installed = [&paths](const QString &theme) {
        for (const QString &dir : paths)
            if (QFileInfo::exists(dir + "/" + theme + "/index.theme"))
                return true;
        return false;
    };
    for (const char *theme : {"breeze", "Adwaita"}) {
        if (!installed(theme))
            continue;
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor")
            QIcon::setThemeName(theme);
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor")
            QIcon::setFallbackThemeName(theme);
        break;
    }
}

// The theme's picture for a key, or a null icon.
QIcon themed(const std::string &key, ImageList list) {
    [[maybe_unused]] static const bool searched = (find_icon_theme(), true);
    for (const ThemeNames *names : {list == ImageList::query ? &query_theme_names() : nullptr, &theme_names()}) {
        if (!names)
            continue;
        auto found = names->find(key);
        if (found == names->end())
            continue;
        for (const char *name : found->second)
            if (QIcon::hasThemeIcon(name))
                return QIcon::fromTheme(name);
    }
    return {};
}

// The program's icon at one size: a database drum on a blue tile, with the orange arrow of a
// presentation running.
QPixmap program_picture(int size) {
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.scale(size / 64.0, size / 64.0);
    g.setPen(QPen(QColor(20, 50, 110), 2));
    g.setBrush(QColor(40, 90, 170));
    g.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
    // the drum: a body and the ellipses of its top and its two rings
    const QColor drum(235, 240, 250), edge(20, 50, 110);
    g.setPen(QPen(edge, 2.5));
    g.setBrush(drum);
    g.drawRect(QRectF(10, 14, 32, 34));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QRectF(10, 42, 32, 12));
    g.setPen(QPen(edge, 2.5));
    g.setBrush(Qt::NoBrush);
    g.drawArc(QRectF(10, 42, 32, 12), 180 * 16, 180 * 16);
    g.drawArc(QRectF(10, 30, 32, 12), 180 * 16, 180 * 16);
    g.setPen(Qt::NoPen);
    g.setBrush(drum);
    g.drawRect(QRectF(11.25, 18, 29.5, 6));
    g.setPen(QPen(edge, 2.5));
    g.setBrush(QColor(200, 215, 240));
    g.drawEllipse(QRectF(10, 8, 32, 12));
    g.setPen(QPen(QColor(120, 50, 0), 2));
    g.setBrush(QColor(245, 150, 30));
    g.drawPolygon(QPolygonF({QPointF(36, 30), QPointF(58, 44), QPointF(36, 58)}));
    g.end();
    return p;
}

} // namespace

QIcon icon(const std::string &key, ImageList list) {
    static std::map<std::pair<ImageList, std::string>, QIcon> cache;
    if (auto it = cache.find({list, key}); it != cache.end())
        return it->second;
    QIcon made;
    if (key.size() >= 2 && key[0] == 'c' && key.find_first_not_of("0123456789", 1) == std::string::npos) {
        // "c0" to "c15": the colour of a result
        made = draw({palette_colour(std::stoi(key.substr(1))), ""});
    } else if (QIcon t = themed(key, list); !t.isNull()) {
        made = t;
    } else if (auto g = glyphs().find(key); g != glyphs().end()) {
        made = draw(g->second);
    } else {
        made = draw({QColor(160, 160, 160), key.empty() ? "" : key.substr(0, 1).c_str()});
    }
    cache.emplace(std::pair(list, key), made);
    return made;
}

QIcon program_icon() {
    static const QIcon made = [] {
        QIcon i;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            i.addPixmap(program_picture(size));
        return i;
    }();
    return made;
}

} // namespace kestle
