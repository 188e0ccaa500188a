#pragma once

#include "search/mygetwebthread.h"
#include "search/pagerows.h"
#include "search/resultrow.h"
#include "search/searchpaging.h"
#include "search/searchsites.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

// One search of the main window without the window: the keyword's paging, the fetch of one page at
// a time, and the page buffer cut into rows one per tick of the row timer. It shows nothing itself:
// it hands out rows, the state of the search button and the counter text of the title column, and
// answers a search click with what the window has to tell the user. User-interface thread only.
class SearchSession final : public QObject {
    Q_OBJECT
public:
    // What the search button says; the window turns it into the button's caption.
    enum class Caption { Idle, Busy, More, Done };
    // The answer to a search click.
    enum class Outcome { Started, Busy, EmptyKeyword, AllLoaded };

    explicit SearchSession(QObject* parent = nullptr);
    ~SearchSession() override; // a fetch under way is cancelled and reports nothing

    // Root of the built-in torrent search site, without a trailing "/"; read by each fetch as it starts.
    void setSiteRoot(const QByteArray& root) { m_sites.setBuiltIn(root); }
    // The sites a page is asked of, in turn, starting at the one that answered last.
    SearchSites& sites() { return m_sites; }
    const SearchSites& sites() const { return m_sites; }

    // The search click, given the keyword box's GBK text (already converted to traditional
    // characters where the window asks for that).
    Outcome search(const QByteArray& keyword);
    // The keyword box's text changed (typing, an input method, a program): the caption follows it.
    void keywordBoxChanged(const QByteArray& text);
    // The list was cleared: the paging of the keyword starts again at page 1. The page buffer and
    // the row timer carry on, so rows still waiting in the buffer keep arriving.
    void clearList();

    // A page is being fetched or its rows are still being cut: a further search click is ignored,
    // since the next page would replace the rest of this one.
    bool busy() const { return m_fetchRunning || tmr1.isActive(); }
    const SearchPaging& paging() const { return m_paging; }
    Caption caption() const { return m_caption; }

    static constexpr int rowInterval = 10; // ms between two rows

    // The title column's header when a page could not be had from any site, or held no results.
    static QString failureText(qint32 page, MyGetWebThread::Failure failure, int status);
    static QString noResultsText(qint32 page);

Q_SIGNALS:
    void rowReady(const ResultRow& row);
    void captionChanged(SearchSession::Caption caption);
    void counterTextChanged(const QString& text); // the title column's header caption

private:
    void startFetch(const QByteArray& keyword, qint32 page);
    void onPageFetched(const QByteArray& gbkPage, const QByteArray& lastLinkText, const QByteArray& siteRoot,
                       bool noResults);
    void onFetchFailed(MyGetWebThread::Failure failure, int status);
    void tmr1Timer();
    void setCaption(Caption caption);
    Caption captionWhenIdle() const;

    SearchPaging m_paging;
    PageRows mmoserch{QByteArray("wcode")}; // page buffer: the fetched page not yet cut into rows
    QTimer tmr1;                            // row timer
    int m_rowsInList = 0;                   // rows handed out since the list was last cleared
    Caption m_caption = Caption::Idle;
    QByteArray m_boxText; // GBK text of the keyword box
    SearchSites m_sites;

    // The fetch under way.
    QPointer<MyGetWebThread> m_worker;
    bool m_fetchRunning = false;
    QByteArray m_fetchKeyword;
    qint32 m_fetchPage = 0;
    bool m_clearedDuringFetch = false;
};
