# Which folders of src/ the files of each folder may include from, besides their own folder.
# Read by cmake/check_includes.cmake (the include_rules test): an include from a folder to one
# not listed for it, a folder without a rule, or a circle of folders fails the test.
#
# The order is the order of the house: the domain folders first, each over the ones before
# it; then the windows, each ui folder over its own domain folder; app/ui and the command line
# on top. `app` holds the one state every window shares, so each window folder may read it.

# --- domain (vezo_core, no Qt) ---------------------------------------------------------------
vezo_allow(common)
vezo_allow(calendar common)
vezo_allow(log common calendar)
vezo_allow(rig common)
vezo_allow(app common calendar log)
vezo_allow(places common log)
vezo_allow(print common calendar log app)
vezo_allow(adif common calendar log app)
vezo_allow(awards common log places)
vezo_allow(wsjtx common calendar log places adif app rig) # rig: the frequency as the radio shows it
vezo_allow(lotw common calendar log places adif app)

# --- card drawing (QtGui only) ----------------------------------------------------------------
vezo_allow(cards common calendar log app print)

# --- windows ------------------------------------------------------------------------------------
vezo_allow(common/ui common)
vezo_allow(rig/ui common common/ui app rig)
vezo_allow(calendar/ui common common/ui app calendar)
vezo_allow(log/ui common common/ui app calendar log rig
    rig/ui) # exception: the contact dialog follows the radio through the polling worker
vezo_allow(places/ui common common/ui app log places
    log/ui # exception: the city lookup is the contact dialog's lookup, declared there
    rig/ui # exception: the personal information dialog holds the radio's settings page
    wsjtx/ui # exception: ... and the WSJT-X link's settings page
    lotw/ui # exception: ... and the LoTW upload's settings page
    calendar/ui) # exception: ... and the notice that the computer is not on Japanese time
vezo_allow(print/ui common common/ui app calendar log print cards)
vezo_allow(awards/ui common common/ui app log places awards)
vezo_allow(wsjtx/ui common common/ui app calendar log places adif wsjtx)
vezo_allow(lotw/ui common common/ui app calendar log places adif lotw)
vezo_allow(app/ui common common/ui app calendar calendar/ui log log/ui rig rig/ui places
    places/ui print print/ui adif awards awards/ui wsjtx wsjtx/ui lotw lotw/ui cards)

# --- the command line -------------------------------------------------------------------------
vezo_allow(cli common calendar log rig app places print adif awards wsjtx lotw cards)

# Never, whatever is allowed above: the log knows nothing of the places, the awards or ADIF,
# which are built on it; the shared routines know nothing of any other folder.
vezo_forbid(log places awards adif)
vezo_forbid(common *)
