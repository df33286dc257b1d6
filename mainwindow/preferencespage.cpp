// SPDX-License-Identifier: MIT
#include "preferencespage.h"

#include "pictures.h"
#include "widgethelp.h"

#include "controls/embossedlabel.h"
#include "controls/folderdialog.h"
#include "core/database.h"
#include "platform/filedialog.h"
#include "platform/programdata.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace nomix {

namespace {

QString fileNamePart(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace

PreferencesPage::PreferencesPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("preferencesPage"));
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("dataGroup"));
    m_group->setGeometry(6, 4, 364, 113);

    m_directoryEdit = addEdit("directoryEdit", tr("Edit database & configuration path"));
    m_directoryEdit->setText(programDataPath(QStringLiteral("sample")));
    m_databaseEdit = addEdit("databaseEdit", tr("Edit database file name"));
    m_databaseEdit->setText(QString::fromLatin1(kNameDatabaseFileName));
    m_tableEdit = addEdit("tableEdit", tr("Edit configuration file name"));
    m_tableEdit->setText(QString::fromLatin1(kProductTableFileName));
    m_rulesEdit = addEdit("rulesEdit", tr("Edit the folder of your own labelling "
                                          "rules; empty for the bundled ones"));
    m_rulesEdit->setPlaceholderText(tr("bundled rules"));
    m_serverEdit =
        addEdit("serverEdit", tr("Edit the URL of a team database server, such as "
                                 "postgresql://user@host:5432/nomix; empty to search the files. "
                                 "A password typed here is not saved: keep it in ~/.pgpass"));
    m_serverEdit->setPlaceholderText(tr("the files"));

    m_browseButton =
        addSmallButton("browseButton", Pictures::folderGlyph(), tr("Browse|Browse directories"));
    setHelpTopic(m_browseButton, HelpTopic::BrowseButton);
    m_databaseButton =
        addSmallButton("databaseButton", Pictures::openGlyph(), tr("Open|Set  database file"));
    m_tableButton =
        addSmallButton("tableButton", Pictures::openGlyph(), tr("Open|Set  configuration file"));
    for (QToolButton* button : {m_databaseButton, m_tableButton}) {
        setHelpTopic(button, HelpTopic::OpenButtons);
    }
    m_rulesButton = addSmallButton("rulesBrowseButton", Pictures::folderGlyph(),
                                   tr("Browse|Browse for a labelling rules folder"));
    setHelpTopic(m_rulesButton, HelpTopic::FamilyColumn);
    connect(m_rulesButton, &QToolButton::clicked, this, &PreferencesPage::chooseRulesFolder);
    connect(m_rulesEdit, &QLineEdit::editingFinished, this, &PreferencesPage::noteRulesFolder);
    connect(m_browseButton, &QToolButton::clicked, this, &PreferencesPage::chooseDirectory);
    connect(m_databaseButton, &QToolButton::clicked, this, &PreferencesPage::chooseDatabaseFile);
    connect(m_tableButton, &QToolButton::clicked, this, &PreferencesPage::chooseTableFile);

    m_optionsButton = new QPushButton(QIcon(Pictures::optionsGlyph()), tr("&Options"), m_group);
    m_optionsButton->setObjectName(QStringLiteral("optionsButton"));
    m_optionsButton->setEnabled(false);
    setHint(m_optionsButton, tr("Display options"), false);
    setHelpTopic(m_optionsButton, HelpTopic::OptionsButton);
    connect(m_optionsButton, &QPushButton::clicked, this, &PreferencesPage::optionsClicked);

    EmbossedLabel* directoryLabel = addLabel("directoryLabel", tr("Co&mmon directory"),
                                             m_directoryEdit, HelpTopic::CommonDirectory);
    m_databaseLabel = addLabel("databaseLabel", tr("&Database file name"), m_databaseEdit,
                               HelpTopic::DatabaseFileName);
    m_tableLabel = addLabel("tableLabel", tr("&Configuration file name"), m_tableEdit,
                            HelpTopic::ConfigurationFileName);
    m_rulesLabel =
        addLabel("rulesLabel", tr("&Labelling rules"), m_rulesEdit, HelpTopic::FamilyColumn);
    m_serverLabel =
        addLabel("serverLabel", tr("Database ser&ver"), m_serverEdit, HelpTopic::DatabaseFileName);

    // Tab goes down the left column, then to the server, the options and the
    // table.
    QWidget::setTabOrder(m_directoryEdit, m_browseButton);
    QWidget::setTabOrder(m_browseButton, m_serverEdit);
    QWidget::setTabOrder(m_serverEdit, m_optionsButton);
    QWidget::setTabOrder(m_optionsButton, m_databaseEdit);
    QWidget::setTabOrder(m_databaseEdit, m_databaseButton);
    QWidget::setTabOrder(m_databaseButton, m_tableEdit);
    QWidget::setTabOrder(m_tableEdit, m_tableButton);
    QWidget::setTabOrder(m_tableButton, m_rulesEdit);
    QWidget::setTabOrder(m_rulesEdit, m_rulesButton);

    // Three rows: the rules folder's label stands beside its box; the
    // server's box shares the first row's right half with the options.
    directoryLabel->setGeometry(10, 3, 160, 18);
    m_directoryEdit->setGeometry(10, 20, 136, 22);
    m_databaseLabel->setGeometry(10, 44, 160, 18);
    m_databaseEdit->setGeometry(10, 61, 136, 22);
    m_tableEdit->setGeometry(190, 61, 136, 22);
    m_rulesLabel->setGeometry(10, 89, 110, 18);
    m_rulesEdit->setGeometry(120, 87, 136, 22);
    m_serverLabel->setGeometry(190, 3, 160, 18);
    m_serverEdit->setGeometry(190, 20, 136, 22);

    m_folderDialog = new FolderDialog(this);
    m_folderDialog->setObjectName(QStringLiteral("folderDialog"));
    m_folderDialog->setStatusTextVisible(true);
    m_folderDialog->setOpenFolder(OpenFolder::Path);
    m_folderDialog->setStatusText(tr("Please, select a folder"));
    m_folderDialog->setCentered(false);
}

QLineEdit* PreferencesPage::addEdit(const char* name, const QString& hint) {
    auto* edit = new QLineEdit(m_group);
    edit->setObjectName(QLatin1String(name));
    setHint(edit, hint, false);
    return edit;
}

QToolButton* PreferencesPage::addSmallButton(const char* name, const QPixmap& glyph,
                                             const QString& hint) {
    auto* button = new QToolButton(m_group);
    button->setObjectName(QLatin1String(name));
    button->setIcon(QIcon(glyph));
    button->setFixedSize(25, 24);
    setHint(button, hint);
    return button;
}

EmbossedLabel* PreferencesPage::addLabel(const char* name, const QString& caption, QWidget* buddy,
                                         HelpTopic topic) {
    auto* label = new EmbossedLabel(caption, m_group);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    label->setFont(font);
    label->setStyle3D(Style3D::Raised);
    label->setTransparent(true);
    label->setBuddy(buddy);
    setHelpTopic(label, topic);
    return label;
}

QString PreferencesPage::directory() const {
    return m_directoryEdit->text();
}

QString PreferencesPage::databaseName() const {
    return m_databaseEdit->text();
}

QString PreferencesPage::tableName() const {
    return m_tableEdit->text();
}

void PreferencesPage::setDirectory(const QString& directory) {
    m_directoryEdit->setText(directory);
}

void PreferencesPage::setDatabaseName(const QString& name) {
    m_databaseEdit->setText(name);
}

void PreferencesPage::setTableName(const QString& name) {
    m_tableEdit->setText(name);
}

QString PreferencesPage::rulesFolder() const {
    return m_rulesEdit->text();
}

void PreferencesPage::setRulesFolder(const QString& folder) {
    m_rulesEdit->setText(folder);
    m_rulesFolder = folder;
}

QString PreferencesPage::serverUrl() const {
    return m_serverEdit->text();
}

void PreferencesPage::setServerUrl(const QString& url) {
    m_serverEdit->setText(url);
}

void PreferencesPage::noteRulesFolder() {
    if (m_rulesEdit->text() != m_rulesFolder) {
        m_rulesFolder = m_rulesEdit->text();
        emit rulesFolderChanged();
    }
}

void PreferencesPage::chooseRulesFolder() {
    m_folderDialog->setOpenFolderPath(
        rulesFolder().isEmpty() ? programDataPath(QStringLiteral("labelling")) : rulesFolder());
    if (m_folderDialog->exec()) {
        m_rulesEdit->setText(m_folderDialog->selectedPath());
        noteRulesFolder();
    }
}

void PreferencesPage::setOptionsButtonEnabled(bool enabled) {
    m_optionsButton->setEnabled(enabled);
}

void PreferencesPage::layOut(int pageWidth) {
    m_group->resize(pageWidth - 25, m_group->height());
    const int editWidth = pageWidth / 2 - 59;
    m_directoryEdit->resize(editWidth, m_directoryEdit->height());
    m_browseButton->move(m_directoryEdit->geometry().right() + 3, m_directoryEdit->y() - 1);
    m_databaseEdit->resize(editWidth, m_databaseEdit->height());
    m_databaseButton->move(m_browseButton->x(), m_databaseEdit->y() - 1);
    m_optionsButton->setGeometry(m_browseButton->x() + 44, m_directoryEdit->y() - 1,
                                 editWidth + m_browseButton->width() + 2, 24);
    m_tableEdit->setGeometry(m_optionsButton->x(), m_databaseEdit->y(),
                             m_optionsButton->width() - m_browseButton->width() - 1,
                             m_tableEdit->height());
    m_tableButton->move(m_tableEdit->geometry().right() + 3, m_tableEdit->y() - 1);
    m_tableLabel->setGeometry(m_tableEdit->x(), m_databaseLabel->y(), 170, 18);
    m_rulesEdit->resize(m_tableEdit->geometry().right() - m_rulesEdit->x() + 1,
                        m_rulesEdit->height());
    m_rulesButton->move(m_tableButton->x(), m_rulesEdit->y() - 1);
    // The options button keeps the width of its caption at the row's end.
    const QRect column = m_optionsButton->geometry();
    const int optionsWidth = m_optionsButton->sizeHint().width();
    m_serverLabel->move(column.x(), m_serverLabel->y());
    m_serverEdit->setGeometry(column.x(), m_directoryEdit->y(), column.width() - optionsWidth - 4,
                              m_serverEdit->height());
    m_optionsButton->setGeometry(column.right() - optionsWidth + 1, column.y(), optionsWidth,
                                 column.height());
}

void PreferencesPage::chooseDirectory() {
    if (!directory().isEmpty()) {
        m_folderDialog->setOpenFolderPath(directory());
    }
    if (m_folderDialog->exec()) {
        setDirectory(m_folderDialog->selectedPath());
    }
}

void PreferencesPage::chooseDatabaseFile() {
    const QString chosen =
        FileDialog::getOpenFileName(this, tr("Please, select a file"), directory(),
                                    tr("Nomix databases (*.dat);;All files (*)"));
    if (!chosen.isEmpty()) {
        setDatabaseName(fileNamePart(chosen));
    }
}

void PreferencesPage::chooseTableFile() {
    const QString chosen =
        FileDialog::getOpenFileName(this, tr("Please, select a file"), directory(),
                                    tr("Nomix configuration  (*.cfg);;All files (*)"));
    if (!chosen.isEmpty()) {
        setTableName(fileNamePart(chosen));
    }
}

} // namespace nomix
