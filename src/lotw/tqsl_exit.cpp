// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/tqsl_exit.h"

#include <vector>

namespace vz::lotw {

namespace {

// TQSL ends with 8 also when it found no certificate to sign with; its lines say so. Children
// run in the C locale (see tqsl_process), so the lines are TQSL's English ones.
bool signingAborted(std::string_view output)
{
    return output.find("Signing aborted") != std::string_view::npos ||
           output.find("no valid callsign certificates") != std::string_view::npos;
}

} // namespace

TqslOutcome outcomeOf(const TqslRun &run)
{
    if (run.notFound)
        return TqslOutcome::NotInstalled;
    if (!run.started)
        return TqslOutcome::NotStarted;
    if (run.timedOut)
        return TqslOutcome::TimedOut;
    switch (run.exitStatus) {
    case 0:
        return TqslOutcome::Done;
    case 8:
    case 9:
        if (signingAborted(run.output))
            return TqslOutcome::NoSignature;
        return run.exitStatus == 8 ? TqslOutcome::NothingNew : TqslOutcome::SomeNew;
    case 2:
        return TqslOutcome::Refused;
    case 10:
        return TqslOutcome::SyntaxOrLocation;
    case 11:
        return TqslOutcome::NoConnection;
    default:
        return TqslOutcome::OtherError;
    }
}

std::string outcomeMessage(TqslOutcome outcome, const MessageDetails &d)
{
    const std::string count = std::to_string(d.contacts) + " 件";
    const std::string notMarked = "送信済みにはしていません。";
    switch (outcome) {
    case TqslOutcome::Done:
        if (!d.signedFile.empty())
            return "TQSL で " + count + "の交信に署名し、" + d.signedFile +
                   " に書きました。送信済みにしました。";
        return "LoTW へ " + count + "の交信を送信しました。";
    case TqslOutcome::NothingNew:
        return "新しく送る交信はありませんでした (TQSL "
               "が送信済みまたは証明書の期間外と判断しました)。" +
               count + "を送信済みにしました。";
    case TqslOutcome::SomeNew:
        return "一部の交信だけを送信しました (残りは TQSL "
               "が送信済みまたは証明書の期間外と判断しました)。" +
               count + "を送信済みにしました。";
    case TqslOutcome::NoSignature:
        return "TQSL が署名を中止しました。このコールサインの証明書が TQSL "
               "にないか、期限切れです。" +
               notMarked;
    case TqslOutcome::Refused:
        return "LoTW が受け付けませんでした。" + notMarked;
    case TqslOutcome::NoConnection:
        return "LoTW に接続できませんでした。ネットワークを確かめてください。" + notMarked;
    case TqslOutcome::SyntaxOrLocation:
        return "TQSL がコマンドを受け付けませんでした。局の所在地「" + d.location +
               "」が TQSL にないときもこうなります。" + notMarked;
    case TqslOutcome::OtherError:
        return "TQSL がエラーで終わりました (終了状態 " + std::to_string(d.exitStatus) + ")。" +
               notMarked;
    case TqslOutcome::TimedOut:
        return "TQSL が " + std::to_string(d.timeLimitSeconds) +
               " 秒で終わらないので止めました。証明書にパスワードがあると TQSL は入力を待ちます。" +
               notMarked;
    case TqslOutcome::NotInstalled:
        return std::string("tqsl が見つかりません。Debian では「") + kInstallHint +
               "」でインストールできます。";
    case TqslOutcome::NotStarted:
        return "tqsl を起動できませんでした。" + notMarked;
    }
    return {};
}

std::string lastLines(std::string_view output, int count)
{
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t end = output.find('\n', at);
        if (end == std::string_view::npos)
            end = output.size();
        std::string_view line = output.substr(at, end - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (!line.empty())
            lines.push_back(line);
        at = end + 1;
    }
    std::string out;
    const std::size_t first =
        lines.size() > static_cast<std::size_t>(count) ? lines.size() - count : 0;
    for (std::size_t i = first; i < lines.size(); ++i)
        out.append(lines[i]).push_back('\n');
    return out;
}

} // namespace vz::lotw
