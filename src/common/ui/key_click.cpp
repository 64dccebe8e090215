// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/key_click.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace vz::ui {

KeyClick::KeyClick() = default;
KeyClick::~KeyClick() = default;

void KeyClick::setSoundFile(const QString &path)
{
    m_path = path;
    m_effect.reset();
}

void KeyClick::play()
{
    ++m_plays;
    if (m_player)
        m_player(m_path);
    else
        playWithSoundEffect();
}

void KeyClick::playWithSoundEffect()
{
    if (m_path.isEmpty() || !QFileInfo::exists(m_path))
        return;
    if (!m_effect) {
        // Loaded once and kept: QSoundEffect decodes the file ahead, so a click starts at once
        // and play() returns without waiting for the sound.
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(m_path));
    }
    m_effect->play();
}

} // namespace vz::ui
