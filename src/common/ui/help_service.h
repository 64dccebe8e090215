// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the help: its contents, its keyword index, or the page of a help context number.
// A window asks with one call, for example m_services.help.showTopic(19); whatever shows the
// help (the help window, or a recorder in tests) is installed as the opener. Without one,
// requests do nothing.
#pragma once

#include <functional>

namespace vz::ui {

class HelpService
{
public:
    enum class View { Contents, KeywordIndex, Topic };
    // `context` is the help context number for View::Topic, else 0.
    using Opener = std::function<void(View view, int context)>;

    void showContents() { open(View::Contents, 0); }
    void showKeywordIndex() { open(View::KeywordIndex, 0); }
    // Context 0 stands for "no page known yet" and opens nothing.
    void showTopic(int context)
    {
        if (context > 0)
            open(View::Topic, context);
    }

    void setOpener(Opener opener) { m_opener = std::move(opener); }

private:
    void open(View view, int context)
    {
        if (m_opener)
            m_opener(view, context);
    }
    Opener m_opener;
};

} // namespace vz::ui
