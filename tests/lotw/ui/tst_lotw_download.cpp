// SPDX-License-Identifier: GPL-3.0-or-later
// "LoTWから確認を取得" against a server in the test that answers as LoTW does: a report, the page
// for a wrong password, no answer at all, a report cut off. The password comes from a store in
// memory; one test runs QtKeychain against GNOME Keyring when the test is started for it.
#include "app/ui/main_window.h"
#include "app/user_registry.h"
#include "lotw/lotw_report.h"
#include "lotw/report_settings.h"
#include "lotw/ui/report_download.h"
#include "lotw/ui/secret_store.h"
#include "lotw/ui/tqsl_page.h"

#include "log/log_file.h"

#include "support/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

using namespace vz;
using namespace vz::ui;
using namespace std::chrono_literals;

namespace {

const QByteArray kReport = "ARRL Logbook of the World Status Report\n"
                           "Generated at 2026-02-01 10:00:00\nfor ja1abc\n"
                           "<PROGRAMID:4>LoTW\n<APP_LoTW_LASTQSL:19>2026-01-31 08:15:00\n"
                           "<APP_LoTW_NUMREC:1>1\n<eoh>\n"
                           "<APP_LoTW_OWNCALL:6>JA1ABC\n<STATION_CALLSIGN:6>JA1ABC\n"
                           "<CALL:6>JA1AAB\n<BAND:3>40M\n<MODE:2>CW\n"
                           "<APP_LoTW_MODEGROUP:2>CW\n<QSO_DATE:8>20260102\n"
                           "<TIME_ON:6>120500\n<QSL_RCVD:1>Y\n"
                           "<APP_LoTW_RXQSL:19>2026-01-31 08:15:00\n<eor>\n\n<APP_LoTW_EOF>\n";

// Answers every GET as told and keeps the query it was asked.
struct FakeLotw
{
    enum Answer { Report, WrongPassword, Silent, CutOff };
    Answer answer = Report;
    QTcpServer server;
    QUrlQuery lastQuery;
    QString lastPath;

    FakeLotw()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket *socket = server.nextPendingConnection();
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                if (!buffer->contains("\r\n\r\n"))
                    return;
                const QByteArray target = buffer->split(' ').value(1);
                const QUrl url(QString::fromLatin1(target));
                lastPath = url.path();
                lastQuery = QUrlQuery(url);
                respond(socket);
            });
        });
    }
    std::string address() const
    {
        return "http://127.0.0.1:" + std::to_string(server.serverPort()) +
               "/lotwuser/lotwreport.adi";
    }
    void respond(QTcpSocket *socket)
    {
        if (answer == Silent)
            return;
        QByteArray body = kReport;
        QByteArray type = "application/x-arrl-adif";
        if (answer == WrongPassword) {
            body = "<HTML><HEAD><TITLE>Logbook of the World</TITLE></HEAD><BODY>"
                   "<P>Username/password incorrect</P></BODY></HTML>\n";
            type = "text/html";
        } else if (answer == CutOff) {
            body.truncate(body.indexOf("<eor>"));
        }
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nConnection: close\r\n\r\n" +
                      body);
        socket->disconnectFromHost();
    }
};

struct MemoryStore final : SecretStore
{
    std::map<QString, QString> secrets;
    bool available = true;
    SecretResult read(const QString &key, QString &secret) override
    {
        if (!available)
            return SecretResult::NoStore;
        const auto at = secrets.find(key);
        if (at == secrets.end())
            return SecretResult::NotFound;
        secret = at->second;
        return SecretResult::Ok;
    }
    SecretResult write(const QString &key, const QString &secret) override
    {
        if (!available)
            return SecretResult::NoStore;
        secrets[key] = secret;
        return SecretResult::Ok;
    }
    SecretResult remove(const QString &key) override
    {
        return available && secrets.erase(key) ? SecretResult::Ok : SecretResult::NotFound;
    }
};

// JA1ABC's log holds JA1AAB on 40 m CW at 21:00 JST (12:00 UTC), which the report confirms.
struct Fixture : test::WindowFixture
{
    FakeLotw lotw;
    MemoryStore store;
    int asked = 0;
    QString typed = QStringLiteral("p&ss word+%");
    PasswordAsker asker = [this](const QString &) -> std::optional<QString> {
        ++asked;
        return typed;
    };

    Fixture()
    {
        state.currentCall = "JA1ABC";
        app::buildUserPaths(state);
        dir.installPrefixTable();
        state.prefixTable.setPath(state.prefixPath);
        log::FieldTexts t;
        t[0] = "JA1AAB";
        t[3] = "26/01/02";
        t[4] = "21:00";
        t[12] = "7.050";
        t[13] = "CW";
        log::appendRecord(state.logPath, 1, log::buildRecord(t, false, true));
        dir.write("JA1ABC.ini", "[LoTW]\nUser=ja1abc\nReportAddress=" + lotw.address() +
                                    "\nQslSince=2026-01-01\n");
    }
    void download(std::chrono::milliseconds limit = 10s)
    {
        downloadFromLotw(state, services.messages, store, asker, nullptr, limit);
    }
    std::string userMark()
    {
        log::QsoRecord r;
        log::readRecord(state.logPath, 1, r);
        return std::string(r.field(log::Field::UserMark));
    }
};

} // namespace

// The operator's password travels percent-encoded with the date of the last download; the
// confirmation lands on the contact, the date moves to LoTW's last one, and the password is
// kept in the store, so the next download asks nothing and finds the confirmation again.
TEST(LotwDownload, AppliesTheReportAdvancesTheDateAndKeepsThePassword)
{
    Fixture f;
    f.download();
    EXPECT_EQ(f.lotw.lastPath, "/lotwuser/lotwreport.adi");
    const QUrlQuery &q = f.lotw.lastQuery;
    EXPECT_EQ(q.queryItemValue("login"), "ja1abc");
    EXPECT_EQ(q.queryItemValue("password", QUrl::FullyDecoded), "p&ss word+%");
    EXPECT_EQ(q.queryItemValue("qso_query"), "1");
    EXPECT_EQ(q.queryItemValue("qso_qsl"), "yes");
    EXPECT_EQ(q.queryItemValue("qso_qslsince"), "2026-01-01");
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("確認 1 件 (新たに 1 件)")))
        << f.messages.last().toStdString();
    EXPECT_EQ(f.userMark(), "L");
    EXPECT_EQ(lotw::readReportSettings(f.state.settingsPath).since, "2026-01-31 08:15:00");
    EXPECT_EQ(f.store.secrets[QStringLiteral("ja1abc")], f.typed);

    f.download();
    EXPECT_EQ(f.asked, 1);
    EXPECT_EQ(f.lotw.lastQuery.queryItemValue("qso_qslsince", QUrl::FullyDecoded),
              "2026-01-31 08:15:00");
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("新たに 0 件")))
        << f.messages.last().toStdString();
}

// Each failure says what happened in Japanese and leaves the log and the settings byte for
// byte; a refused password is not kept, and a kept one LoTW refuses is forgotten.
TEST(LotwDownload, FailuresChangeNothing)
{
    Fixture f;
    const std::string log = f.dir.read("JA1ABC.DAT");
    const std::string settings = f.dir.read("JA1ABC.ini");
    const auto unchanged = [&] {
        EXPECT_EQ(f.dir.read("JA1ABC.DAT"), log);
        EXPECT_EQ(f.dir.read("JA1ABC.ini"), settings);
    };

    f.lotw.answer = FakeLotw::WrongPassword;
    f.download();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("ユーザ名かパスワードを受け付けません")))
        << f.messages.last().toStdString();
    EXPECT_TRUE(f.store.secrets.empty());
    unchanged();
    f.store.secrets[QStringLiteral("ja1abc")] = QStringLiteral("old");
    f.download();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("パスワードは消しました")));
    EXPECT_TRUE(f.store.secrets.empty());
    unchanged();

    f.lotw.answer = FakeLotw::Silent;
    f.download(300ms);
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("時間切れ")))
        << f.messages.last().toStdString();
    unchanged();

    // 中止 while LoTW thinks.
    QTimer::singleShot(200ms, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QProgressDialog *>(w);
                box && box->objectName() == "lotwDownloadProgress")
                box->findChild<QPushButton *>()->click();
    });
    f.download();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("中止しました")))
        << f.messages.last().toStdString();
    unchanged();

    f.lotw.answer = FakeLotw::CutOff;
    f.download();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("途中で切れました")))
        << f.messages.last().toStdString();
    unchanged();

    // No secret store: asked every time, nothing kept.
    f.store.available = false;
    f.lotw.answer = FakeLotw::Report;
    f.asked = 0;
    f.download();
    f.download();
    EXPECT_EQ(f.asked, 2);
    EXPECT_TRUE(f.store.secrets.empty());
    EXPECT_EQ(f.userMark(), "L");
    EXPECT_NE(f.dir.read("JA1ABC.ini").find("QslSince=2026-01-31 08:15:00"), std::string::npos);
}

// The file tab's command, and the account on the LoTW page: written only when typed, LoTW's
// address never unless another is chosen.
TEST(LotwDownload, FileTabCommandAndTheAccountOnTheLotwPage)
{
    test::WindowFixture f;
    f.dir.installPrefixTable();
    std::filesystem::copy_file(std::string(VEZO_SOURCE_DATA) + "/Master01.cty",
                               f.dir.file("Master01.cty"));
    f.dir.write("Start.DAT", "JA1ABC");
    app::appendUser(f.dir.file("CallSign.DAT"), "JA1ABC");
    MainWindow form(f.state, f.services, QString::fromStdString(f.dir.path()));
    ASSERT_TRUE(form.startUp());
    f.messages.texts.clear();
    QAbstractButton *button = form.commandButton(Command::LotwDownload);
    ASSERT_EQ(button->text(), QStringLiteral("LoTWから確認を取得"));
    button->click();
    EXPECT_TRUE(f.messages.last().contains(QStringLiteral("LoTW のユーザ名を入れてください")))
        << f.messages.last().toStdString();

    f.dir.write("JA1ABC.ini", "[LoTW]\r\nLocation=Home\r\n");
    TqslPage page(f.state);
    page.load();
    auto *user = page.findChild<QLineEdit *>("lotwUserEdit");
    auto *address = page.findChild<QLineEdit *>("reportAddressEdit");
    EXPECT_EQ(address->text().toStdString(), lotw::kDefaultReportAddress);
    ASSERT_TRUE(page.save());
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), "[LoTW]\r\nLocation=Home\r\n");
    QTest::keyClicks(user, QStringLiteral("ja1abc"));
    ASSERT_TRUE(page.save());
    EXPECT_EQ(f.dir.read("JA1ABC.ini"), "[LoTW]\r\nLocation=Home\r\nUser=ja1abc\r\n");
    f.state.startAborted = true;
    form.close();
}

// QtKeychain against GNOME Keyring: run by the ctest entry that starts a private D-Bus session
// with an unlocked keyring (VEZO_REAL_KEYRING=1); skipped elsewhere.
TEST(RealSecretStore, KeepsReadsAndForgetsThePassword)
{
    if (!std::getenv("VEZO_REAL_KEYRING"))
        GTEST_SKIP() << "needs a D-Bus session with GNOME Keyring (the lotw_keyring ctest entry)";
    KeychainSecretStore store(QStringLiteral("VEZODovi LoTW test"));
    const QString key = QStringLiteral("ja1abc");
    QString secret;
    store.remove(key);
    EXPECT_EQ(store.read(key, secret), SecretResult::NotFound);
    ASSERT_EQ(store.write(key, QStringLiteral("pa ss&")), SecretResult::Ok);
    ASSERT_EQ(store.read(key, secret), SecretResult::Ok);
    EXPECT_EQ(secret, QStringLiteral("pa ss&"));
    EXPECT_EQ(store.remove(key), SecretResult::Ok);
    EXPECT_EQ(store.read(key, secret), SecretResult::NotFound);
}

// Without any secret service (no session bus) nothing is kept, not even in a file of QtKeychain's
// insecure fallback: the password is asked each time.
TEST(RealSecretStore, NoStoreWithoutASessionBusAndNoFileEither)
{
    if (!std::getenv("VEZO_NO_KEYRING"))
        GTEST_SKIP() << "run by the lotw_keyring ctest entry, outside its D-Bus session";
    KeychainSecretStore store(QStringLiteral("VEZODovi LoTW test"));
    QString secret;
    EXPECT_EQ(store.write(QStringLiteral("ja1abc"), QStringLiteral("pw")), SecretResult::NoStore);
    EXPECT_EQ(store.read(QStringLiteral("ja1abc"), secret), SecretResult::NoStore);
    EXPECT_TRUE(secret.isEmpty());
    for (const auto &entry : std::filesystem::recursive_directory_iterator(std::getenv("HOME")))
        ADD_FAILURE() << "written: " << entry.path();
}
