// The main window's search handlers: the list and the session are set up here, the handlers
// forward to the search row's commands; rows, caption and counter text come from the session.
#include "app/tformmain.h"

#include "config/settingsview.h"
#include "platform/namedinputmethod.h"
#include "search/resultfilterrow.h"
#include "search/resultmodel.h"
#include "search/searchcommands.h"
#include "search/searchsession.h"
#include "search/searchsitesdialog.h"
#include "services/sites.h"
#include "ui_tformmain.h"

#include <QHeaderView>

void TFormmain::setupSearch()
{
    m_results = new ResultModel(this);
    m_results->setHeaderData(ResultModel::TitleColumn, Qt::Horizontal, QStringLiteral("    电    影    名     "));
    m_results->setHeaderData(ResultModel::SizeColumn, Qt::Horizontal, QStringLiteral("   大    小"));
    m_ui->lv1->setModel(m_results);
    QHeaderView* header = m_ui->lv1->horizontalHeader();
    // The title fills what the size leaves, at least 100 px; the size is 100 px, and the user may
    // widen it up to 130.
    header->setMinimumSectionSize(100);
    header->setSectionResizeMode(ResultModel::TitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ResultModel::SizeColumn, QHeaderView::Interactive);
    m_ui->lv1->setColumnWidth(ResultModel::SizeColumn, 100);
    connect(header, &QHeaderView::sectionResized, this, [header](int column, int, int width) {
        if (column == ResultModel::SizeColumn && width > 130)
            header->resizeSection(column, 130);
    });
    header->setSectionsClickable(true);
    m_ui->lv1->verticalHeader()->setDefaultSectionSize(20);
    m_ui->lv1->setStyleSheet(QStringLiteral("QTableView { background: white; color: green; font-size: 13px; }"));

    new NamedInputMethod(m_ui->EdtSearch, QStringLiteral("极点五笔输入法"));

    // The filter row sits right above the list; hidden, it takes no room, so the window looks as before.
    m_filterRow = new ResultFilterRow(centralWidget());
    m_ui->layoutMain->insertWidget(m_ui->layoutMain->indexOf(m_ui->lv1), m_filterRow);
    connect(m_filterRow, &ResultFilterRow::filterChanged, this, [this](const ResultFilter& filter) {
        m_results->setFilter(filter);
        if (m_filterRow->isHidden())
            m_ui->lv1->setFocus();
    });

    m_search = new SearchSession(this);
    m_searchCommands = std::make_unique<SearchCommands>(this, m_ui->EdtSearch, m_ui->chkChkJFzh, m_search, m_results);
    connect(m_search, &SearchSession::rowReady, this, &TFormmain::addResultRow);
    connect(m_search, &SearchSession::captionChanged, this,
            [this](SearchSession::Caption caption) { m_ui->BtnSearch->setText(SearchCommands::captionText(caption)); });
    connect(m_search, &SearchSession::counterTextChanged, this,
            [this](const QString& text) { m_results->setHeaderData(ResultModel::TitleColumn, Qt::Horizontal, text); });

    connect(m_ui->BtnSearch, &QPushButton::clicked, this, &TFormmain::btnSearchClick);
    connect(m_ui->EdtSearch, &QLineEdit::textChanged, this, &TFormmain::EdtSearchChange);
    connect(m_ui->EdtSearch, &QLineEdit::textEdited, this, [this] { m_searchCommands->keywordBoxEdited(); });
    connect(m_ui->chkChkJFzh, &QCheckBox::clicked, this, &TFormmain::chkChkJFzhClick);
    connect(header, &QHeaderView::sectionClicked, this, &TFormmain::lv1ColumnClick);
    connect(m_ui->btnClear, &QPushButton::clicked, m_ui->N1, &QAction::trigger);
    connect(m_ui->N1, &QAction::triggered, this, &TFormmain::N1Click);
    connect(mniSearchSites, &QAction::triggered, this, &TFormmain::mniSearchSitesClick);
}

void TFormmain::updateSearchSites()
{
    m_search->setSiteRoot(Sites::searchSite());
    m_search->sites().setMirrors(SettingsView().searchMirrors());
}

void TFormmain::mniSearchSitesClick()
{
    updateSearchSites();
    auto* dialog = new SearchSitesDialog(m_search->sites(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void TFormmain::btnSearchClick()
{
    updateSearchSites();
    m_searchCommands->search();
}

void TFormmain::EdtSearchKeyPress(int key)
{
    if (key == 13)
        btnSearchClick();
    else if (key == Qt::Key_Down)
        m_searchCommands->showKeywordHistory();
}

void TFormmain::EdtSearchChange()
{
    m_searchCommands->keywordBoxChanged();
}

void TFormmain::presetKeywordBox(const QString& word)
{
    m_searchCommands->presetKeywordBox(word);
}

void TFormmain::chkChkJFzhClick()
{
    m_searchCommands->convertKeywordBox();
}

void TFormmain::lv1ColumnClick(int column)
{
    m_searchCommands->headerClicked(column);
}

void TFormmain::N1Click()
{
    m_searchCommands->clearList();
}

void TFormmain::mniFilterClick()
{
    m_filterRow->openRow();
}

void TFormmain::mniClearHistoryClick()
{
    m_searchCommands->clearKeywordHistory();
}
