#pragma once

#include "config/settingsview.h"
#include "platform/counterbrowser.h"
#include "search/resultrow.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <optional>

namespace Ui {
class TFormmain;
}

class AdvertisementStrip;
class HttpCall;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMouseEvent;
struct RemoteConfigurationHooks;
class QVariantAnimation;
class GlobalHotKey;
class RightClickBarrier;
class ResultFilterRow;
class ResultModel;
class SearchCommands;
class SearchSession;
class PlayCommands;

// The main window: search row, result list, button bar, advertisement strip, status bar.
// The handlers of each subsystem are in a file of their own (app/tformmain_<subsystem>.cpp) and
// forward to that subsystem's commands; the shell's own ones are in app/tformmain.cpp.
class TFormmain final : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormmain(QWidget* parent = nullptr);
    ~TFormmain() override;

    // Shown (also after Alt+F1), raised and activated: a later start of the program asks for it.
    void bringToFront();
    // The settings document's word for the keyword box: taken only while the user has neither
    // edited the box nor searched since start, so it never replaces what the user typed.
    void presetKeywordBox(const QString& word);
    // The advertisement step run after the settings document.
    void showAdvertisement();
    // Takes the settings timer's once-per-run step now instead of a second after creation: starts the
    // fetch of the settings document, which is applied when it arrives. The request belongs to the
    // window and deletes itself when done.
    HttpCall* startSettingsFetch();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    // The handlers of the window's controls and timers, connected when it is created.
    // --- shell (app/) ---
    void btn3Click();
    void BtnFeedbackClick();
    void btnweiboClick();
    void btnAdCloseClick();
    void TmrShowtimeTimer();
    void actActQuitExecute(); // quit confirmation; true end of the program on OK
    void toggleVisibilityByHotKey();

    // --- search ---
    void btnSearchClick();
    void EdtSearchChange(); // any change of the box's text, input methods included
    void chkChkJFzhClick();
    void lv1ColumnClick(int column);
    void N1Click();              // clear list and cache
    void mniFilterClick();       // opens the filter row (also Ctrl+F)
    void mniSearchSitesClick();  // the sites asked for result pages, and the user's own address
    void mniClearHistoryClick(); // forgets the keywords searched

    // --- play and hand-off ---
    void lv1DblClick();
    void lv1Click();
    void actCloudPlayExecute();
    void btnCloudPlayClick();
    void ThunderDownClick();
    void mniPopCopyAddClick();
    void PopCopyCaptionClick();
    void mniCopyMagnetClick();
    void mniCopyAllMagnetsClick();
    void mniOpenMagnetClick();

    // --- portals ---
    void btnTvClick();
    void BtnMusicClick();
    void btn6Click();

    // --- settings document (app/tformmain_config.cpp) ---
    void TmrchkupdateTimer();

private:
    void EdtSearchKeyPress(int key); // a key in the keyword box; 13 (Enter) searches
    // The order of two rows by the list's current sort column and direction.
    int lv1Compare(const ResultRow& a, const ResultRow& b) const;
    // Shows a text in one of the status bar's panels (0..2).
    void setStatusPanelText(int panel, const QString& text);
    // The row selected in the result list; nothing when none is.
    std::optional<ResultRow> selectedRow() const;
    QList<ResultRow> shownRows() const; // the rows the list shows, in their order
    // Counts a use of the program on the product server (a page of the use counter).
    void countUse(const QByteArray& path);
    // What applying the settings document does to this window (status text, counters, word, strip).
    RemoteConfigurationHooks remoteConfigurationHooks();

    std::unique_ptr<Ui::TFormmain> m_ui;

    // --- controls created in code ---
    QMenu* pm1 = nullptr;
    // The list menu's items after the separator, made in code: magnet links, filter, search sites, keyword history.
    QAction* mniCopyMagnet = nullptr;
    QAction* mniCopyAllMagnets = nullptr;
    QAction* mniOpenMagnet = nullptr;
    QAction* mniFilter = nullptr;
    QAction* mniSearchSites = nullptr;
    QAction* mniClearHistory = nullptr;
    void pm1Popup(); // greys the magnet items where there is no link
    QLabel* statPanels[3] = {};
    QFrame* pnlweibo = nullptr;
    QLabel* imgweibo = nullptr;
    QTimer Tmrchkupdate{this}; // settings document, once, 1000 ms after creation
    QTimer TmrShowtime{this};  // advertisement display time, 50000 ms
    CounterBrowser wbAllNum{QStringLiteral("wbAllNum")};
    CounterBrowser wbTjStNum{QStringLiteral("wbTjStNum")};
    // Keeps right clicks away from the advertisement strip, its page and its close button.
    RightClickBarrier* aplctnvntsAdver = nullptr;

    void createStatusBar();
    void createListMenu();
    void createWeiboPicture();
    void connectHandlers();
    void setupSearch();

    // search (app/tformmain_search.cpp, forwarding to search/)
    void addResultRow(const ResultRow& row); // places it in the current sort order
    void updateSearchSites();                // built-in site and the settings document's mirrors
    SearchSession* m_search = nullptr;
    ResultModel* m_results = nullptr;       // the rows of lv1
    ResultFilterRow* m_filterRow = nullptr; // above lv1, hidden until asked for
    std::unique_ptr<SearchCommands> m_searchCommands;

    // play and hand-off (app/tformmain_play.cpp, forwarding to play/)
    void setupPlay();
    std::unique_ptr<PlayCommands> m_play;
    // Clicks on the list's viewport; the release that ends a double click is not another click.
    void lv1ViewportEvent(QEvent* event);
    bool m_lv1ReleaseEndsDblClick = false;

    // shell (app/)
    void setButtonPictures();
    void startShowAnimation();
    void watchPointerForWeibo();
    void weiboPointerMoved(QWidget* widget, const QMouseEvent* event);
    // Opens the switched page (the built-in one, the configured address, or nothing); a counter
    // request follows every opened page.
    void openSwitchedPage(const SettingsView::Switched& page, const QString& builtIn, const QByteArray& counterPath);
    QVariantAnimation* m_showAnimation = nullptr;
    std::unique_ptr<AdvertisementStrip> m_advertisement;

    GlobalHotKey* m_hotKey = nullptr;
    bool m_animated = false;
    bool m_quitConfirmed = false;
};
