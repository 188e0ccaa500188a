#include "search/searchcommands.h"

#include "platform/codepage.h"
#include "platform/messageboxes.h"
#include "search/resultmodel.h"
#include "search/tgbbig5convert.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

SearchCommands::SearchCommands(QWidget* window, QLineEdit* keywordBox, QCheckBox* traditional, SearchSession* session,
                               ResultModel* results)
    : m_window(window), m_keywordBox(keywordBox), m_traditional(traditional), m_session(session), m_results(results)
{
    // Offered as the user types (a completer only answers edits, so the settings document's word and
    // the 简繁 conversion open nothing), matching anywhere in a keyword.
    m_completer = new QCompleter(m_keywordBox);
    m_historyModel = new QStringListModel(m_history.keywords(), m_completer);
    m_completer->setModel(m_historyModel);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setMaxVisibleItems(10);
    m_keywordBox->setCompleter(m_completer);
}

QString SearchCommands::captionText(SearchSession::Caption caption)
{
    switch (caption) {
    case SearchSession::Caption::Busy:
        return QStringLiteral("拼命搜索中...");
    case SearchSession::Caption::More:
        return QStringLiteral("加 载 更 多");
    case SearchSession::Caption::Done:
        return QStringLiteral("搜 索 完 毕");
    case SearchSession::Caption::Idle:
        break;
    }
    return QStringLiteral("搜     索");
}

void SearchCommands::search()
{
    m_keywordBoxTouched = true;
    if (m_session->busy())
        return;
    if (m_traditional->isChecked())
        m_keywordBox->setText(CodePage::fromGbk(TGBBIG5Convert::ToTraditional(CodePage::toGbk(m_keywordBox->text()))));
    switch (m_session->search(CodePage::toGbk(m_keywordBox->text()))) {
    case SearchSession::Outcome::EmptyKeyword:
        MessageBoxes::inform(m_window, QStringLiteral("其实俺也知道你是个好银,可是,尼玛关键词不填,你让我搜神马?"));
        break;
    case SearchSession::Outcome::AllLoaded:
        MessageBoxes::inform(m_window, QStringLiteral("所有内容已加载完毕,如需搜索更多内容,就换个关键词咯!"));
        break;
    case SearchSession::Outcome::Started:
        m_history.record(m_keywordBox->text());
        m_historyModel->setStringList(m_history.keywords());
        break;
    case SearchSession::Outcome::Busy:
        break;
    }
}

void SearchCommands::keywordBoxChanged()
{
    m_session->keywordBoxChanged(CodePage::toGbk(m_keywordBox->text()));
}

void SearchCommands::presetKeywordBox(const QString& word)
{
    if (!m_keywordBoxTouched)
        m_keywordBox->setText(word);
}

void SearchCommands::convertKeywordBox()
{
    const QByteArray text = CodePage::toGbk(m_keywordBox->text());
    const QByteArray converted =
        m_traditional->isChecked() ? TGBBIG5Convert::ToTraditional(text) : TGBBIG5Convert::ToSimplified(text);
    m_keywordBox->setText(CodePage::fromGbk(converted));
}

void SearchCommands::headerClicked(int column)
{
    if (column != ResultModel::TitleColumn && column != ResultModel::SizeColumn)
        return;
    // The direction toggles on every header click, whichever column it is.
    m_results->sortBy(column, m_results->sortDirection() == 1 ? -1 : 1);
}

void SearchCommands::clearList()
{
    if (!MessageBoxes::confirm(m_window, QStringLiteral("点击确定将清空搜索结果列表,确定?!")))
        return;
    m_results->clear();
    m_session->clearList();
}

void SearchCommands::showKeywordHistory()
{
    if (m_history.keywords().isEmpty() || m_completer->popup()->isVisible())
        return;
    m_completer->setCompletionPrefix(QString());
    m_completer->complete();
}

void SearchCommands::clearKeywordHistory()
{
    m_history.clear();
    m_historyModel->setStringList({});
}
