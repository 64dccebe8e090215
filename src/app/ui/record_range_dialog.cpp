// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/record_range_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace vz::ui {

RecordRangeDialog::RecordRangeDialog(std::int32_t last, QWidget *parent)
    : QDialog(parent), m_from(new QSpinBox(this)), m_to(new QSpinBox(this))
{
    setWindowTitle(QStringLiteral("ADIF出力"));
    const int lastNumber = static_cast<int>(std::max<std::int32_t>(last, 1));
    m_from->setRange(1, lastNumber);
    m_to->setRange(1, lastNumber);
    m_from->setValue(1);
    m_to->setValue(lastNumber);
    // The range never runs backwards: each end holds the other back.
    connect(m_from, &QSpinBox::valueChanged, m_to, [this](int v) { m_to->setMinimum(v); });
    connect(m_to, &QSpinBox::valueChanged, m_from, [this](int v) { m_from->setMaximum(v); });

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("最初の番号"), m_from);
    form->addRow(QStringLiteral("最後の番号"), m_to);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("書き出す交信の番号 (1～%1)").arg(lastNumber)));
    layout->addLayout(form);
    layout->addWidget(buttons);
}

std::int32_t RecordRangeDialog::from() const
{
    return m_from->value();
}

std::int32_t RecordRangeDialog::to() const
{
    return m_to->value();
}

} // namespace vz::ui
