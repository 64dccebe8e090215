// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/lotw_report.h"

#include <cctype>
#include <optional>

namespace vz::lotw {

namespace {

char lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The first place of `needle` (ASCII, any letter case) in `text` from `from`.
std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.empty() || text.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && lower(text[i + k]) == lower(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

bool contains(std::string_view text, std::string_view needle)
{
    return findNoCase(text, needle) != std::string_view::npos;
}

// The value of the field tag opened at `at` ("<NAME:LEN[:TYPE]>VALUE"); nullopt when the tag
// is malformed or the value runs past the end.
std::optional<std::string_view> fieldValue(std::string_view text, std::size_t at)
{
    const std::size_t colon = text.find(':', at);
    const std::size_t close = text.find('>', at);
    if (colon == std::string_view::npos || close == std::string_view::npos || colon > close)
        return std::nullopt;
    std::size_t length = 0;
    std::size_t i = colon + 1;
    for (; i < close && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        length = length * 10 + static_cast<std::size_t>(text[i] - '0');
        if (length > 1000)
            return std::nullopt;
    }
    if (i == colon + 1 || (i < close && text[i] != ':') || close + 1 + length > text.size())
        return std::nullopt;
    return text.substr(close + 1, length);
}

// Every valid value of the field `name`, the latest as text (the dates compare as text).
std::string latestValue(std::string_view text, std::string_view name, std::size_t from)
{
    const std::string tag = "<" + std::string(name) + ":";
    std::string latest;
    for (std::size_t at = findNoCase(text, tag, from); at != std::string_view::npos;
         at = findNoCase(text, tag, at + 1)) {
        const auto value = fieldValue(text, at);
        if (value && isSinceDate(*value) && *value > latest)
            latest = std::string(*value);
    }
    return latest;
}

bool digits(std::string_view text, std::size_t at, std::size_t count, int low, int high)
{
    int n = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        n = n * 10 + (text[i] - '0');
    }
    return n >= low && n <= high;
}

} // namespace

std::string percentEncoded(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::string reportRequestAddress(std::string_view address, std::string_view user,
                                 std::string_view password, std::string_view since)
{
    std::string url(address);
    url += url.find('?') == std::string::npos ? '?' : '&';
    url += "login=" + percentEncoded(user) + "&password=" + percentEncoded(password) +
           "&qso_query=1&qso_qsl=yes";
    if (!since.empty())
        url += "&qso_qslsince=" + percentEncoded(since);
    return url;
}

ReportKind reportKind(std::string_view body)
{
    if (contains(body, "<APP_LoTW_EOF>"))
        return ReportKind::Report;
    if (contains(body, "<eoh>") || contains(body, "<PROGRAMID:4>LoTW") ||
        contains(body, "ARRL Logbook of the World Status Report"))
        return ReportKind::CutOff;
    if (contains(body, "password incorrect"))
        return ReportKind::WrongPassword;
    return ReportKind::NotReport;
}

bool isSinceDate(std::string_view text)
{
    if (text.size() != 10 && text.size() != 19)
        return false;
    if (text[4] != '-' || text[7] != '-' || !digits(text, 0, 4, 1900, 9999) ||
        !digits(text, 5, 2, 1, 12) || !digits(text, 8, 2, 1, 31))
        return false;
    return text.size() == 10 ||
           (text[10] == ' ' && text[13] == ':' && text[16] == ':' && digits(text, 11, 2, 0, 23) &&
            digits(text, 14, 2, 0, 59) && digits(text, 17, 2, 0, 60));
}

std::string nextSinceDate(std::string_view body, std::string_view previous)
{
    const std::size_t header = findNoCase(body, "<eoh>");
    std::string next = header == std::string_view::npos
                           ? std::string()
                           : latestValue(body.substr(0, header), "APP_LoTW_LASTQSL", 0);
    if (next.empty() && header != std::string_view::npos)
        next = latestValue(body, "APP_LoTW_RXQSL", header);
    if (next.empty() || (isSinceDate(previous) && next < previous))
        return std::string(previous);
    return next;
}

long long reportRecordCount(std::string_view body)
{
    const std::size_t header = findNoCase(body, "<eoh>");
    long long count = 0;
    for (std::size_t at = findNoCase(body, "<eor>", header == std::string_view::npos ? 0 : header);
         at != std::string_view::npos; at = findNoCase(body, "<eor>", at + 1))
        ++count;
    return count;
}

bool isSafeReportAddress(std::string_view address)
{
    if (findNoCase(address, "https://") == 0)
        return address.size() > 8;
    for (const std::string_view local :
         {"http://127.0.0.1:", "http://127.0.0.1/", "http://localhost:", "http://localhost/"})
        if (findNoCase(address, local) == 0)
            return true;
    return false;
}

std::string reportKindMessage(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Report:
        return {};
    case ReportKind::CutOff:
        return "LoTW からの受信が途中で切れました (終わりの印 <APP_LoTW_EOF> がありません)。"
               "ログは変えていません。しばらくしてからもう一度取得してください。";
    case ReportKind::WrongPassword:
        return "LoTW がユーザ名かパスワードを受け付けませんでした "
               "(Username/password incorrect)。ログは変えていません。"
               "個人情報の「LoTW」のユーザ名と、パスワードを確かめてください。";
    case ReportKind::NotReport:
        break;
    }
    return "LoTW から確認のレポートではない返事が来ました "
           "(保守中か、アドレスの誤りかもしれません)。"
           "ログは変えていません。";
}

} // namespace vz::lotw
