#include "cli/WebBoard.h"

#include "cli/CliText.h"
#include "records/QelFile.h"
#include "util/StringUtils.h"

#include <cstdio>
#include <ctime>
#include <set>

namespace qel::cli {

std::string HtmlEscape(std::string_view text) {
    return EscapeMarkup(text, true);
}

std::string FormatLocalTime(int64_t ns) {
    if (ns < 0)
        return {};
    const std::time_t seconds = static_cast<std::time_t>(ns / 1000000000);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

namespace {

std::string Title(const std::optional<std::string>& department) {
    return department ? "Qel - Filtered on " + *department : "Qel - All Departments";
}

std::string Cell(std::string_view text) {
    return "<td>" + HtmlEscape(text) + "</td>";
}

// The departments of the board's users, each once, in byte order.
std::string DepartmentLinks(const std::vector<TUserRow>& rows, const std::optional<std::string>& current) {
    std::set<std::string> names;
    for (const TUserRow& row : rows)
        if (!row.User.Department.empty())
            names.insert(row.User.Department);
    const auto link = [&](const std::string& href, const std::string& text, bool here) {
        return "<a href=\"" + HtmlEscape(href) + "\"" + (here ? " aria-current=\"page\"" : "") + ">" +
               HtmlEscape(text) + "</a>\n";
    };
    std::string html = "<nav id=\"departments\">\n" + link("/", "All Departments", !current);
    for (const std::string& name : names)
        html += link("/?department=" + PercentEncode(name), name, current == name);
    return html + "</nav>\n";
}

} // namespace

std::string BoardPage(const TBoardSnapshot& snapshot, const TPageOptions& options) {
    const std::string title = HtmlEscape(Title(options.Department));
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       title +
                       "</title>\n<link rel=\"icon\" href=\"/qel.svg\" type=\"image/svg+xml\">\n"
                       "<link rel=\"stylesheet\" href=\"/board.css\">\n<script src=\"/board.js\" defer></script>\n"
                       "</head>\n<body";
    if (options.Kiosk)
        html += " class=\"kiosk\"";
    if (options.Department)
        html += " data-department=\"" + HtmlEscape(*options.Department) + "\"";
    html += ">\n<header><h1>" + title + "</h1>";
    if (options.Kiosk)
        html += "<p id=\"clock\">" + HtmlEscape(options.Clock) + "</p>";
    html += "</header>\n";
    if (options.DepartmentLinks && !options.Kiosk && snapshot.Rows)
        html += DepartmentLinks(*snapshot.Rows, options.Department);

    html += "<p id=\"problem\" role=\"alert\"";
    if (snapshot.Rows)
        html += " hidden>";
    else
        html += ">The board cannot be read: " + HtmlEscape(snapshot.Error);
    html += "</p>\n<table id=\"board\"";
    if (!snapshot.Rows)
        html += " hidden";
    html += ">\n<thead><tr><th></th><th>User</th><th>Status</th><th>Ext</th><th>Department</th><th>Comments...</th>"
            "</tr></thead>\n<tbody id=\"rows\">\n";
    if (snapshot.Rows) {
        for (const TUserRow& row : *snapshot.Rows) {
            const TQelUser& user = row.User;
            if (options.Department && user.Department != *options.Department)
                continue;
            html += "<tr><td><img src=\"/images/" + std::to_string(StatusImageIndex(user.Status)) +
                    ".svg\" alt=\"\" width=\"16\" height=\"16\"></td>" + Cell(user.UserName) + Cell(user.Status) +
                    Cell(user.Extension) + Cell(user.Department) + Cell(user.Comments) + "</tr>\n";
        }
    }
    html += "</tbody>\n</table>\n<p id=\"changed\">";
    if (const std::string changed = FormatLocalTime(snapshot.ChangedNs); !changed.empty())
        html += "Last change: " + changed;
    return html + "</p>\n</body>\n</html>\n";
}

std::string BoardEvent(const TBoardSnapshot& snapshot, const std::optional<std::string>& department) {
    std::string json = "{\"changed\":" + JsonString(FormatLocalTime(snapshot.ChangedNs)) + ",\"error\":";
    if (!snapshot.Rows)
        return json + JsonString(snapshot.Error) + ",\"users\":null}";
    return json + "null,\"users\":" + (department ? BoardJson(*snapshot.Rows, department) : snapshot.AllJson) + "}";
}

const TEmbeddedFile* FindEmbeddedFile(std::string_view name) {
    for (size_t i = 0; i < EmbeddedFileCount; ++i)
        if (name == EmbeddedFiles[i].Name)
            return &EmbeddedFiles[i];
    return nullptr;
}

const TEmbeddedFile* StatusImage(int index) {
    // The status images are the board's small images "small-NN-*.svg"; 8
    // (the exit command) and those above 11 are no status's.
    if (index < 0 || index == 8 || index > 11)
        return nullptr;
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "small-%02d-", index);
    for (size_t i = 0; i < EmbeddedFileCount; ++i)
        if (std::string_view(EmbeddedFiles[i].Name).starts_with(prefix))
            return &EmbeddedFiles[i];
    return nullptr;
}

} // namespace qel::cli
