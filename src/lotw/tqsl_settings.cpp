// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/tqsl_settings.h"

#include "common/file_io.h"
#include "common/profile_file.h"

#include <cstdlib>

namespace vz::lotw {

namespace {

constexpr const char *kSection = "LoTW";

// XML's five named references and numeric ones below 128; anything else stays as written.
std::string unescaped(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        const std::string_view ref = text.substr(i + 1, end - i - 1);
        if (ref == "amp")
            out += '&';
        else if (ref == "lt")
            out += '<';
        else if (ref == "gt")
            out += '>';
        else if (ref == "quot")
            out += '"';
        else if (ref == "apos")
            out += '\'';
        else if (const int code =
                     ref.starts_with('#') ? std::atoi(std::string(ref.substr(1)).c_str()) : 0;
                 code > 0 && code < 128)
            out += static_cast<char>(code);
        else
            out += text.substr(i, end - i + 1);
        i = end;
    }
    return out;
}

} // namespace

TqslSettings readTqslSettings(const std::string &settingsPath)
{
    TqslSettings s;
    const auto file = ProfileFile::load(settingsPath);
    if (!file)
        return s;
    s.location = file->text(kSection, "Location", "");
    s.program = file->text(kSection, "Program", kDefaultTqslProgram);
    if (s.program.empty())
        s.program = kDefaultTqslProgram;
    return s;
}

bool writeTqslSettings(const std::string &settingsPath, const TqslSettings &settings)
{
    auto file = ProfileFile::load(settingsPath);
    if (!file)
        return false; // never replace a file that could not be read
    file->set(kSection, "Location", settings.location);
    file->set(kSection, "Program", settings.program);
    return file->save(settingsPath);
}

std::string tqslStationDataPath()
{
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.tqsl/station_data";
}

std::vector<std::string> stationLocations(const std::string &stationDataPath)
{
    std::vector<std::string> names;
    const auto text = files::readAll(stationDataPath);
    if (!text)
        return names;
    constexpr std::string_view kOpen = "<StationData";
    std::size_t at = 0;
    while ((at = text->find(kOpen, at)) != std::string::npos) {
        at += kOpen.size();
        const std::size_t close = text->find('>', at);
        if (close == std::string::npos)
            break;
        const std::string_view tag = std::string_view(*text).substr(at, close - at);
        // The name attribute, in either kind of quotes.
        std::size_t n = tag.find("name=");
        while (n != std::string_view::npos && n > 0 && tag[n - 1] != ' ' && tag[n - 1] != '\t' &&
               tag[n - 1] != '\n' && tag[n - 1] != '\r')
            n = tag.find("name=", n + 1);
        if (n != std::string_view::npos && n + 5 < tag.size()) {
            const char quote = tag[n + 5];
            const std::size_t end = tag.find(quote, n + 6);
            if ((quote == '"' || quote == '\'') && end != std::string_view::npos)
                names.push_back(unescaped(tag.substr(n + 6, end - n - 6)));
        }
        at = close;
    }
    return names;
}

} // namespace vz::lotw
