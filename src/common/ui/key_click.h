// SPDX-License-Identifier: GPL-3.0-or-later
// The key click: "Click.wav" played on every key press in the dialogs when the user turned
// the option on. Playback never blocks typing.
#pragma once

#include <QString>

#include <memory>

class QSoundEffect;

namespace vz::ui {

class KeyClick
{
public:
    KeyClick();
    ~KeyClick();
    KeyClick(const KeyClick &) = delete;
    KeyClick &operator=(const KeyClick &) = delete;

    // The sound file; a missing file makes play() silent.
    void setSoundFile(const QString &path);
    void play();
    int playCount() const { return m_plays; }

private:
    QString m_path;
    std::unique_ptr<QSoundEffect> m_effect;
    int m_plays = 0;
};

} // namespace vz::ui
