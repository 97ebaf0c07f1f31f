// The picture routines: the colour query, the picture viewer's fetch and the highlight.
#include "pictures.h"

#include "bitmap8.h"
#include "colour_query.h"
#include "picture_box.h"
#include "program.h"
#include "session.h"
#include "sql_exec.h"
#include "twips.h"
#include "zal_findpics.h"
#include "zal_viewpic.h"

#include <QScrollBar>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

namespace kestle {

namespace {

constexpr int max_pictures = 100;

// Column 1 bound to the blob work file: the database writes the picture there at the fetch,
// so the binding lives until then.
struct FileColumn {
    std::array<unsigned char, 60> name{};
    SQLSMALLINT length = 0;
    SQLUINTEGER options = SQL_FILE_OVERWRITE;
    SQLINTEGER data_length = SQL_NTS;
    SQLINTEGER indicator = 0;

    SQLRETURN bind(Program &p, SQLSMALLINT name_max) {
        StrToByte(blob_work_file, name);
        length = static_cast<SQLSMALLINT>(std::strlen(blob_work_file));
        return p.session.cli.BindFileToCol(p.session.hstmt, 1, name.data(), &length, &options, name_max,
                                           &data_length, &indicator);
    }
};

// The picture a fetch wrote into the work file, or none: a NULL leaves the file as an earlier
// fetch wrote it, so it is emptied rather than shown under another number, and a file of no
// bytes or of no picture shows nothing.
QPixmap fetched_picture(const FileColumn &file) {
    if (file.indicator == SQL_NULL_DATA) {
        std::error_code ec;
        std::filesystem::resize_file(blob_work_file, 0, ec);
        return {};
    }
    return file.indicator > 0 ? read_picture(blob_work_file) : QPixmap();
}

// Runs a statement directly on a fresh handle with its picture column bound to the work file.
SQLRETURN open_picture(Program &p, const std::string &sql, FileColumn &file, SQLSMALLINT name_max) {
    Session &s = p.session;
    if (cli_failed(run_statement(p, sql)))
        return SQL_ERROR;
    s.sql_rc = file.bind(p, name_max);
    return cli_failed(s.sql_rc) ? SQL_ERROR : SQL_SUCCESS;
}

// Reports the failing call and keeps its message for the search window.
void picture_error(Program &p) {
    p.session.sql_rc = ZAL_error(p);
    p.pictures.failure = p.last_msg;
}

// The picture numbers of a colour query's first 100 rows; none when it fails (reported).
std::optional<std::vector<std::string>> picture_numbers(Program &p, const std::string &sql) {
    Session &s = p.session;
    auto failed = [&] {
        picture_error(p);
        return std::nullopt;
    };
    if (cli_failed(run_statement(p, expand_marks(sql, true))))
        return failed();
    SQLRETURN rc = s.cli.Fetch(s.hstmt);
    if (cli_failed(rc))
        return failed();
    std::vector<std::string> numbers;
    while (row_fetched(rc)) {
        std::array<char, 61> field{};
        SQLINTEGER indicator = 0;
        s.cli.GetData(s.hstmt, 1, SQL_C_CHAR, field.data(), 60, &indicator);
        numbers.push_back(strip(field.data()));
        if (numbers.size() == max_pictures)
            break;
        rc = s.cli.Fetch(s.hstmt);
    }
    drop_statement(p);
    return numbers;
}

} // namespace

int ZAL_HUESCAN(Program &p, const std::string &sql) {
    Session &s = p.session;
    p.pictures.failure.clear();
    const std::optional<std::vector<std::string>> numbers = picture_numbers(p, sql);
    if (!numbers)
        return 0;
    int &found = p.pictures.pics_found;
    found = static_cast<int>(numbers->size());
    ZALFindpics &w = p.findpics();
    for (int k = 1; k <= found; ++k) {
        const std::string &number = (*numbers)[static_cast<std::size_t>(k - 1)];
        FileColumn file;
        SQLRETURN rc = open_picture(p, "SELECT PICTURE FROM PICTURES WHERE PIC_NO = " + number, file, 255);
        if (!cli_failed(rc))
            rc = s.cli.Fetch(s.hstmt);
        if (cli_failed(rc)) {
            picture_error(p);
            return 0;
        }
        if (row_fetched(rc)) {
            ZALFindpics::StoredPicture &slot = w.TImage[static_cast<std::size_t>(k - 1)];
            slot.picture = fetched_picture(file);
            slot.tag = number;
        }
        drop_statement(p);
    }
    show_thumbnails(p, 0);
    w.ScrollPics->setMaximum(scroll_max(found));
    w.ScrollPics->setValue(0);
    return found;
}

void show_thumbnails(Program &p, int first) {
    ZALFindpics &w = p.findpics();
    for (int k = 0; k < static_cast<int>(w.HUESCAN.size()); ++k) {
        PictureBox &thumbnail = *w.HUESCAN[static_cast<std::size_t>(k)];
        const int i = first + k;
        if (i >= 0 && i < p.pictures.pics_found) {
            const ZALFindpics::StoredPicture &slot = w.TImage[static_cast<std::size_t>(i)];
            thumbnail.set_picture(slot.picture);
            thumbnail.tag = slot.tag;
        } else {
            thumbnail.set_picture(QPixmap());
            thumbnail.tag.clear();
        }
    }
}

int ZAL_bmp(Program &p, const std::string &sql) {
    Session &s = p.session;
    p.pictures.failure.clear();
    FileColumn file;
    if (cli_failed(open_picture(p, sql, file, 13))) {
        picture_error(p);
        return 0;
    }
    if (row_fetched(s.cli.Fetch(s.hstmt))) {
        ZALViewPic &v = p.viewpic();
        v.PicBox->set_picture(fetched_picture(file));
        const QRect box = v.PicBox->geometry();
        // The palette and the count stay in view beside a picture lower than they are.
        const int content = std::max(px_to_twips(box.height()), v.count_bottom_twips());
        v.resize_twips(px_to_twips(box.x()) + px_to_twips(box.width()) + 200, content + 600);
        v.show_form();
    }
    drop_statement(p);
    return 0;
}

long bmp_highlight(Program &p, const std::string &file, int r, int g, int b) {
    const long count = highlight_file(file, changed_work_file, {r, g, b});
    p.viewpic().PicBox->load_picture(changed_work_file);
    return count;
}

} // namespace kestle
