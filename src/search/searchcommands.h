#pragma once

#include "search/keywordhistory.h"
#include "search/searchsession.h"

#include <QString>

class QCheckBox;
class QCompleter;
class QStringListModel;
class QLineEdit;
class QWidget;
class ResultModel;

// The search row's commands: the keyword box and its 简繁 box hand over to the search session,
// the result list's header sorts and its menu clears. The settings document's word only reaches
// a keyword box the user has neither edited nor searched with. The box offers the keywords searched
// before (also in earlier runs) as the user types, or all of them on the Down key.
class SearchCommands final {
public:
    SearchCommands(QWidget* window, QLineEdit* keywordBox, QCheckBox* traditional, SearchSession* session,
                   ResultModel* results);

    // The search button's caption for what the session reports.
    static QString captionText(SearchSession::Caption caption);

    void search(); // the search button, or Enter in the keyword box
    void keywordBoxChanged();
    void keywordBoxEdited() { m_keywordBoxTouched = true; }
    void presetKeywordBox(const QString& word);
    void convertKeywordBox(); // the 简繁 box was clicked
    void headerClicked(int column);
    void clearList();          // after the user's confirmation
    void showKeywordHistory(); // the box's drop-down: every keyword searched, newest first
    void clearKeywordHistory();

private:
    QWidget* m_window;
    QLineEdit* m_keywordBox;
    QCheckBox* m_traditional;
    SearchSession* m_session;
    ResultModel* m_results;
    bool m_keywordBoxTouched = false;
    KeywordHistory m_history;
    QStringListModel* m_historyModel = nullptr; // the completer's list, owned by it
    QCompleter* m_completer = nullptr;          // owned by the keyword box
};
