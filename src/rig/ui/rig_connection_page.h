// SPDX-License-Identifier: GPL-3.0-or-later
// The personal information's page "リグ接続": no radio, a radio by Hamlib model on a serial
// port, or a rigctld at host:port; the data mode that PKTUSB and PKTLSB stand for; and a
// connection test that reads the frequency once on a worker thread and shows it or the error.
// The models are Hamlib's own list, searched by manufacturer, name or number.
//
// The page keeps the radio section of the settings file: it loads it when the personal
// information shows its settings and writes it with the others, only when the operator
// changed something here, so the files of operators who never set a radio stay as they are.
#pragma once

#include "app/app_state.h"
#include "rig/rig_settings.h"

#include <QWidget>

#include <memory>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vz::ui {

class Mailbox;

class RigConnectionPage : public QWidget
{
    Q_OBJECT
public:
    explicit RigConnectionPage(app::AppState &state, QWidget *parent = nullptr);
    ~RigConnectionPage() override;

    // Shows the radio section of the current user's settings file; forgets the edits.
    void load();
    // Writes the section when the operator changed it; false when the file could not be
    // written (the edits stay).
    bool save();

    const rig::RigSettings &settings() const { return m_settings; }

Q_SIGNALS:
    // The operator changed a setting of the page.
    void edited();

private:
    void fillModelList();
    void filterModels(const QString &text);
    void showSettings();
    void showModel();
    void enableForLink();
    void change();
    void testConnection();
    void showTestResult(bool ok, const QString &frequency, const QString &mode,
                        const QString &hamlibMode, const QString &error);

    app::AppState &m_state;
    rig::RigSettings m_settings;
    bool m_dirty = false;
    bool m_showing = false; // the fields are being filled: no edit
    QButtonGroup *m_linkGroup = nullptr;
    QLineEdit *m_modelSearchEdit = nullptr;
    QListWidget *m_modelList = nullptr;
    QLabel *m_modelLabel = nullptr;
    QLineEdit *m_serialPortEdit = nullptr;
    QComboBox *m_speedCombo = nullptr;
    QLineEdit *m_rigctldEdit = nullptr;
    QLineEdit *m_dataModeEdit = nullptr;
    QPushButton *m_testButton = nullptr;
    QLabel *m_testResultLabel = nullptr;
    std::shared_ptr<Mailbox> m_testMailbox;
};

} // namespace vz::ui
