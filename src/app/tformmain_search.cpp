// The main window's search handlers: they read the keyword box and hand over to the search
// session, and show what it reports: rows, the search button's caption, the counter text.
#include "app/tformmain.h"

#include "platform/codepage.h"
#include "platform/messageboxes.h"
#include "search/resultmodel.h"
#include "search/searchsession.h"
#include "search/tgbbig5convert.h"
#include "services/sites.h"
#include "ui_tformmain.h"

#include <QHeaderView>

namespace {

QString captionText(SearchSession::Caption caption)
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

} // namespace

void TFormmain::setupSearch()
{
    m_results = new ResultModel(this);
    m_results->setHeaderData(ResultModel::TitleColumn, Qt::Horizontal, QStringLiteral("    电    影    名     "));
    m_results->setHeaderData(ResultModel::SizeColumn, Qt::Horizontal, QStringLiteral("   大    小"));
    m_ui->lv1->setModel(m_results);
    QHeaderView* header = m_ui->lv1->horizontalHeader();
    header->setMinimumSectionSize(100);
    header->setSectionResizeMode(ResultModel::TitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ResultModel::SizeColumn, QHeaderView::Fixed);
    m_ui->lv1->setColumnWidth(ResultModel::SizeColumn, 100);
    header->setSectionsClickable(true);
    m_ui->lv1->verticalHeader()->setDefaultSectionSize(20);
    m_ui->lv1->setStyleSheet(QStringLiteral("QTableView { background: white; color: green; font-size: 13px; }"));

    m_search = new SearchSession(this);
    connect(m_search, &SearchSession::rowReady, this, &TFormmain::addResultRow);
    connect(m_search, &SearchSession::captionChanged, this,
            [this](SearchSession::Caption caption) { m_ui->BtnSearch->setText(captionText(caption)); });
    connect(m_search, &SearchSession::counterTextChanged, this,
            [this](const QString& text) { m_results->setHeaderData(ResultModel::TitleColumn, Qt::Horizontal, text); });

    connect(m_ui->BtnSearch, &QPushButton::clicked, this, &TFormmain::btnSearchClick);
    connect(m_ui->EdtSearch, &QLineEdit::textChanged, this, &TFormmain::EdtSearchChange);
    connect(m_ui->EdtSearch, &QLineEdit::textEdited, this, [this] { m_keywordBoxTouched = true; });
    connect(m_ui->chkChkJFzh, &QCheckBox::clicked, this, &TFormmain::chkChkJFzhClick);
    connect(header, &QHeaderView::sectionClicked, this, &TFormmain::lv1ColumnClick);
    connect(m_ui->btnClear, &QPushButton::clicked, m_ui->N1, &QAction::trigger);
    connect(m_ui->N1, &QAction::triggered, this, &TFormmain::N1Click);
}

void TFormmain::btnSearchClick()
{
    m_keywordBoxTouched = true;
    if (m_search->busy())
        return;
    if (m_ui->chkChkJFzh->isChecked())
        m_ui->EdtSearch->setText(
            CodePage::fromGbk(TGBBIG5Convert::ToTraditional(CodePage::toGbk(m_ui->EdtSearch->text()))));
    m_search->setSiteRoot(Sites::searchSite());
    switch (m_search->search(CodePage::toGbk(m_ui->EdtSearch->text()))) {
    case SearchSession::Outcome::EmptyKeyword:
        MessageBoxes::inform(this, QStringLiteral("其实俺也知道你是个好银,可是,尼玛关键词不填,你让我搜神马?"));
        break;
    case SearchSession::Outcome::AllLoaded:
        MessageBoxes::inform(this, QStringLiteral("所有内容已加载完毕,如需搜索更多内容,就换个关键词咯!"));
        break;
    case SearchSession::Outcome::Started:
    case SearchSession::Outcome::Busy:
        break;
    }
}

void TFormmain::EdtSearchKeyPress(int key)
{
    if (key == 13)
        btnSearchClick();
}

void TFormmain::EdtSearchChange()
{
    m_search->keywordBoxChanged(CodePage::toGbk(m_ui->EdtSearch->text()));
}

void TFormmain::presetKeywordBox(const QString& word)
{
    if (!m_keywordBoxTouched)
        m_ui->EdtSearch->setText(word);
}

void TFormmain::chkChkJFzhClick()
{
    const QByteArray text = CodePage::toGbk(m_ui->EdtSearch->text());
    const QByteArray converted =
        m_ui->chkChkJFzh->isChecked() ? TGBBIG5Convert::ToTraditional(text) : TGBBIG5Convert::ToSimplified(text);
    m_ui->EdtSearch->setText(CodePage::fromGbk(converted));
}

void TFormmain::lv1ColumnClick(int column)
{
    if (column != ResultModel::TitleColumn && column != ResultModel::SizeColumn)
        return;
    // The direction toggles on every header click, whichever column it is.
    m_results->sortBy(column, m_results->sortDirection() == 1 ? -1 : 1);
}

void TFormmain::N1Click()
{
    if (!MessageBoxes::confirm(this, QStringLiteral("点击确定将清空搜索结果列表,确定?!")))
        return;
    m_results->clear();
    m_search->clearList();
}
