#pragma once

#include "search/searchsession.h"

#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;
class ResultModel;

// The search row's commands: the keyword box and its 简繁 box hand over to the search session,
// the result list's header sorts and its menu clears. The settings document's word only reaches
// a keyword box the user has neither edited nor searched with.
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
    void clearList(); // after the user's confirmation

private:
    QWidget* m_window;
    QLineEdit* m_keywordBox;
    QCheckBox* m_traditional;
    SearchSession* m_session;
    ResultModel* m_results;
    bool m_keywordBoxTouched = false;
};
