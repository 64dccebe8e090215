// SPDX-License-Identifier: GPL-3.0-or-later
#include "rig/ui/rig_connection_page.h"

#include "common/ui/hint_bar.h"
#include "common/ui/qt_text.h"
#include "common/ui/sjis_field_validator.h"
#include "common/ui/vezo_dialog.h"
#include "rig/rig_connection.h"
#include "rig/rig_fields.h"
#include "rig/ui/rig_worker.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace vz::ui {

namespace {

constexpr std::size_t kAddressBytes = 255;
constexpr int kSpeeds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

QLabel *addLabel(QWidget *page, const QString &text, const QRect &at)
{
    auto *l = new QLabel(text, page);
    l->setGeometry(at);
    return l;
}

QLineEdit *addEdit(QWidget *page, const char *name, const QRect &at, std::size_t maxBytes,
                   bool upper, SjisFieldValidator::KeyFilter allowed = nullptr)
{
    auto *e = new QLineEdit(page);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(at);
    e->setValidator(new SjisFieldValidator(maxBytes, upper, e, allowed));
    e->setInputMethodHints(Qt::ImhPreferLatin);
    return e;
}

bool isDataModeKey(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '/';
}

QString modelText(const rig::RigModel &m)
{
    return QStringLiteral("%1 %2 (%3)")
        .arg(QString::fromStdString(m.manufacturer), QString::fromStdString(m.name))
        .arg(m.model);
}

} // namespace

RigConnectionPage::RigConnectionPage(app::AppState &state, QWidget *parent)
    : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("rigConnectionPage"));

    addLabel(this, QStringLiteral("接続"), QRect(16, 10, 40, 18));
    m_linkGroup = new QButtonGroup(this);
    struct Link
    {
        const char *name;
        const char *caption;
        rig::RigLink link;
        int x, width;
    };
    const Link links[] = {
        {"noRigRadio", "使用しない", rig::RigLink::None, 60, 100},
        {"serialRigRadio", "無線機（シリアルポート）", rig::RigLink::Radio, 170, 200},
        {"rigctldRadio", "rigctld（ネットワーク）", rig::RigLink::Rigctld, 380, 200},
    };
    for (const Link &l : links) {
        auto *b = new QRadioButton(QString::fromUtf8(l.caption), this);
        b->setObjectName(QString::fromLatin1(l.name));
        b->setGeometry(l.x, 8, l.width, 22);
        m_linkGroup->addButton(b, static_cast<int>(l.link));
    }
    connect(m_linkGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_settings.link = static_cast<rig::RigLink>(id);
        enableForLink();
        change();
    });

    addLabel(this, QStringLiteral("機種の検索"), QRect(16, 40, 76, 18));
    m_modelSearchEdit =
        addEdit(this, "modelSearchEdit", QRect(96, 38, 150, 22), kAddressBytes, false);
    setHint(m_modelSearchEdit,
            QStringLiteral("|メーカー名・機種名・番号の一部で機種を絞り込みます"));
    connect(m_modelSearchEdit, &QLineEdit::textChanged, this, &RigConnectionPage::filterModels);
    m_modelLabel = new QLabel(this);
    m_modelLabel->setObjectName(QStringLiteral("modelLabel"));
    m_modelLabel->setGeometry(254, 40, 190, 18);
    m_modelList = new QListWidget(this);
    m_modelList->setObjectName(QStringLiteral("modelList"));
    m_modelList->setGeometry(16, 64, 428, 158);
    connect(m_modelList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_settings.model = item->data(Qt::UserRole).toInt();
        showModel();
        change();
    });

    addLabel(this, QStringLiteral("シリアルポート"), QRect(456, 40, 100, 18));
    m_serialPortEdit =
        addEdit(this, "serialPortEdit", QRect(560, 38, 180, 22), kAddressBytes, false);
    m_serialPortEdit->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    connect(m_serialPortEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_settings.serialPort = toSjis(text.trimmed()).value_or(std::string());
        change();
    });
    addLabel(this, QStringLiteral("通信速度"), QRect(456, 68, 100, 18));
    m_speedCombo = new QComboBox(this);
    m_speedCombo->setObjectName(QStringLiteral("speedCombo"));
    m_speedCombo->setGeometry(560, 66, 180, 22);
    connect(m_speedCombo, &QComboBox::activated, this, [this](int index) {
        m_settings.speed = m_speedCombo->itemData(index).toInt();
        change();
    });

    addLabel(this, QStringLiteral("rigctld"), QRect(456, 96, 100, 18));
    m_rigctldEdit = addEdit(this, "rigctldEdit", QRect(560, 94, 180, 22), kAddressBytes, false);
    m_rigctldEdit->setPlaceholderText(QString::fromLatin1(rig::kDefaultRigctldAddress));
    setHint(m_rigctldEdit, QStringLiteral("|rigctld のホスト名:ポート番号"));
    connect(m_rigctldEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_settings.rigctldAddress = toSjis(text.trimmed()).value_or(std::string());
        change();
    });

    addLabel(this, QStringLiteral("データモード"), QRect(456, 124, 100, 18));
    m_dataModeEdit = addEdit(this, "dataModeEdit", QRect(560, 122, 56, 22), rig::kDataModeBytes,
                             true, isDataModeKey);
    setHint(m_dataModeEdit,
            QStringLiteral("|無線機が PKTUSB・PKTLSB のときに電波形式へ入れる文字（FT8 など）"));
    addLabel(this, QStringLiteral("(PKTUSB・PKTLSB)"), QRect(622, 124, 124, 18));
    connect(m_dataModeEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_settings.dataMode = toSjis(text).value_or(std::string());
        if (m_settings.dataMode.empty())
            m_settings.dataMode = rig::kDefaultDataMode;
        change();
    });

    m_testButton = makeDialogButton(this, QStringLiteral("rigTestButton"),
                                    QStringLiteral("接続テスト"), QRect(456, 154, 100, 24));
    setHint(m_testButton, QStringLiteral("|無線機から周波数を一度読んでみます"));
    connect(m_testButton, &QPushButton::clicked, this, &RigConnectionPage::testConnection);
    m_testResultLabel = new QLabel(this);
    m_testResultLabel->setObjectName(QStringLiteral("rigTestResultLabel"));
    m_testResultLabel->setGeometry(456, 182, 290, 40);
    m_testResultLabel->setWordWrap(true);
    m_testResultLabel->setTextFormat(Qt::PlainText);
}

RigConnectionPage::~RigConnectionPage()
{
    if (m_testMailbox)
        m_testMailbox->close(); // a test still reading ends on its own
}

void RigConnectionPage::fillModelList()
{
    if (m_modelList->count() > 0)
        return;
    for (const rig::RigModel &m : rig::rigModels()) {
        auto *item = new QListWidgetItem(modelText(m), m_modelList);
        item->setData(Qt::UserRole, m.model);
    }
}

void RigConnectionPage::filterModels(const QString &text)
{
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i < m_modelList->count(); ++i) {
        QListWidgetItem *item = m_modelList->item(i);
        bool shown = true;
        for (const QString &w : words)
            shown = shown && item->text().contains(w, Qt::CaseInsensitive);
        item->setHidden(!shown);
    }
    if (QListWidgetItem *current = m_modelList->currentItem(); current && !current->isHidden())
        m_modelList->scrollToItem(current);
}

void RigConnectionPage::load()
{
    fillModelList();
    m_settings = rig::readRigSettings(m_state.settingsPath);
    m_dirty = false;
    m_testResultLabel->clear();
    showSettings();
}

bool RigConnectionPage::save()
{
    if (!m_dirty)
        return true;
    if (!rig::writeRigSettings(m_state.settingsPath, m_settings))
        return false;
    m_dirty = false;
    return true;
}

void RigConnectionPage::showSettings()
{
    m_showing = true;
    m_linkGroup->button(static_cast<int>(m_settings.link))->setChecked(true);
    m_serialPortEdit->setText(fromSjis(m_settings.serialPort));
    m_speedCombo->clear();
    m_speedCombo->addItem(QStringLiteral("機種の既定"), 0);
    for (const int speed : kSpeeds)
        m_speedCombo->addItem(QString::number(speed), speed);
    if (m_speedCombo->findData(m_settings.speed) < 0)
        m_speedCombo->addItem(QString::number(m_settings.speed), m_settings.speed);
    m_speedCombo->setCurrentIndex(m_speedCombo->findData(m_settings.speed));
    m_rigctldEdit->setText(fromSjis(m_settings.rigctldAddress));
    m_dataModeEdit->setText(fromSjis(m_settings.dataMode));
    m_modelSearchEdit->clear();
    showModel();
    enableForLink();
    m_showing = false;
}

void RigConnectionPage::showModel()
{
    m_modelLabel->clear();
    m_modelList->setCurrentItem(nullptr);
    for (int i = 0; i < m_modelList->count(); ++i) {
        QListWidgetItem *item = m_modelList->item(i);
        if (item->data(Qt::UserRole).toInt() != m_settings.model)
            continue;
        m_modelList->setCurrentItem(item);
        m_modelList->scrollToItem(item);
        m_modelLabel->setText(item->text());
        return;
    }
}

void RigConnectionPage::enableForLink()
{
    const bool radio = m_settings.link == rig::RigLink::Radio;
    for (QWidget *w : std::initializer_list<QWidget *>{m_modelSearchEdit, m_modelList,
                                                       m_serialPortEdit, m_speedCombo})
        w->setEnabled(radio);
    m_rigctldEdit->setEnabled(m_settings.link == rig::RigLink::Rigctld);
    m_testButton->setEnabled(m_settings.link != rig::RigLink::None && !m_testMailbox);
}

void RigConnectionPage::change()
{
    if (m_showing)
        return;
    m_dirty = true;
    Q_EMIT edited();
}

void RigConnectionPage::testConnection()
{
    const std::optional<rig::RigTarget> target = rig::targetOf(m_settings);
    if (!target) {
        m_testResultLabel->setText(QStringLiteral("機種を選んでください"));
        return;
    }
    rig::prepareHamlib(); // here, on the window's thread
    m_testButton->setEnabled(false);
    m_testResultLabel->setText(QStringLiteral("接続しています…"));
    m_testMailbox = std::make_shared<Mailbox>(this);
    startWorker(
        [mailbox = m_testMailbox, page = this, target = *target, dataMode = m_settings.dataMode] {
            const rig::ReadOutcome outcome = rig::readOnce(target);
            mailbox->post([page, outcome, dataMode] {
                page->showTestResult(
                    outcome.ok,
                    QString::fromStdString(rig::frequencyFieldText(outcome.reading.frequencyHz)),
                    fromSjis(rig::modeFieldText(outcome.reading.mode, dataMode)),
                    QString::fromStdString(outcome.reading.mode),
                    QString::fromStdString(outcome.error));
            });
        });
}

void RigConnectionPage::showTestResult(bool ok, const QString &frequency, const QString &mode,
                                       const QString &hamlibMode, const QString &error)
{
    m_testMailbox.reset();
    enableForLink();
    if (!ok) {
        m_testResultLabel->setText(QStringLiteral("接続できませんでした：%1").arg(error));
        return;
    }
    QString text = QStringLiteral("周波数 %1 MHz").arg(frequency.isEmpty() ? "-" : frequency);
    if (!hamlibMode.isEmpty())
        text += QStringLiteral("　電波形式 %1（%2）").arg(mode.isEmpty() ? "-" : mode, hamlibMode);
    m_testResultLabel->setText(text);
}

} // namespace vz::ui
