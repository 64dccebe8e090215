// SPDX-License-Identifier: GPL-3.0-or-later
// The key click: "Click.wav" played on every key press in the dialogs when the user turned
// the option on. Playback never blocks typing.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSoundEffect;

namespace vz::ui {

class KeyClick
{
public:
    // What sounds the click, given the sound file. The default plays it with QSoundEffect;
    // tests put a recorder here to see each request.
    using Player = std::function<void(const QString &soundFile)>;

    KeyClick();
    ~KeyClick();
    KeyClick(const KeyClick &) = delete;
    KeyClick &operator=(const KeyClick &) = delete;

    // The sound file; a missing file makes play() silent.
    void setSoundFile(const QString &path);
    QString soundFile() const { return m_path; }
    void setPlayer(Player player) { m_player = std::move(player); }

    void play();
    int playCount() const { return m_plays; }

private:
    void playWithSoundEffect();

    QString m_path;
    Player m_player;
    std::unique_ptr<QSoundEffect> m_effect;
    int m_plays = 0;
};

} // namespace vz::ui
