// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "AboutPage.h"
#include "Desktop.h"
#include "MessageBox.h"
#include "PageControls.h"
#include "ProgramFolder.h"
#include "UpDown.h"

#include "data/OwnersPage.h"
#include "data/RecipientPage.h"
#include "exchange/ImpExpPage.h"
#include "print/CalibrationPage.h"
#include "print/PrintJobs.h"
#include "data/OwnerTable.h"
#include "data/RecipientTable.h"
#include "render/LayoutPage.h"
#include "render/RecipientSource.h"
#include "render/SlipRenderer.h"
#include "settings/NumberText.h"
#include "settings/PriceWordSetting.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsPage.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace kvitanky {

TForm1::TForm1(const StartupOptions &options, QWidget *parent)
    : QWidget(parent), m_desktop(options.desktop ? options.desktop : std::make_shared<SystemDesktop>())
{
    // 1. Controls with their designed values.
    buildFrame();
    PreviewOnly = true;
    startUp(options);
}

TForm1::~TForm1() = default;

void TForm1::buildFrame()
{
    setObjectName("Form1");
    setWindowTitle("Kvitanky");
    resize(863, 580);

    PageControlMain = new QTabWidget(this);
    PageControlMain->setObjectName("PageControlMain");
    PageControlMain->setGeometry(22, 8, 833, 513);

    TabSheetLayout = new LayoutPage(*this);
    TabSheetData = new RecipientPage(*this);
    TabSheetOwnersAdr = new OwnersPage(*this);
    TabSheetSetting = new SettingsPage(*this);
    TabSheetCalibration = new CalibrationPage(*this);
    TabSheetImpExp = new ImpExpPage(*this);
    TabSheetAbout = new AboutPage(*m_desktop);
    PageControlMain->addTab(TabSheetLayout, "Usporádání");
    PageControlMain->addTab(TabSheetData, "Adresár");
    PageControlMain->addTab(TabSheetOwnersAdr, "Majitelé úctu");
    PageControlMain->addTab(TabSheetSetting, "Nastavení");
    PageControlMain->addTab(TabSheetCalibration, "Kalibrace");
    PageControlMain->addTab(TabSheetImpExp, "Import/Export");
    PageControlMain->addTab(TabSheetAbout, "O programu");
    PageControlMain->setTabVisible(2, false);
    PageControlMain->setCurrentIndex(0);

    LabelPrinter = ui::label(this, "Tiskárna: Není k dispozici", 32, 552, "LabelPrinter");
    ButtonPrinter = ui::button(this, "ButtonPrinter", "Tiskárna", 320, 544, 105);
    ButtonPrinterSetup = ui::button(this, "ButtonPrinterSetup", "Nastavení tiskárny", 440, 544, 105);
    ButtonPrintActual = ui::button(this, "ButtonPrintActual", "Tisk 1 Kvitanky", 580, 544, 117);
    ButtonPrintAll = ui::button(this, "ButtonPrintAll", "Tisk všech Kvitanky", 716, 544, 117);

    Printing = new PrintJobs(*this);
    TabSheetCalibration->followPrinter(*Printing);
    m_settings.bind(this);

    m_recipientSource = std::make_unique<DbfRecipientSource>(&TableData);
    SlipContext ctx;
    ctx.settings = &m_settings;
    ctx.recipients = m_recipientSource.get();
    ctx.setDiscardVisible = [this](bool visible) { TabSheetLayout->LabelLayoutDiscard->setVisible(visible); };
    ctx.warn = [this](const QString &text) { ui::warning(desktop(), this, "Kvitanky", text, false); };
    ctx.onLoadPictures = [this] { SaveOnClose = true; };
    ctx.showPreview = [this](const QImage &image) { TabSheetLayout->showPreview(image); };
    Slip = std::make_unique<SlipRenderer>(std::move(ctx));

    connect(PageControlMain, &QTabWidget::currentChanged, this, [this](int index) {
        // The tab bar's arrow keys can land on a hidden tab; go on to the next visible
        // one in the same direction instead of showing a page whose tab is hidden.
        if (index >= 0 && !PageControlMain->isTabVisible(index)) {
            const int step = index >= m_lastPage ? 1 : -1;
            int next = index;
            do
                next = (next + step + PageControlMain->count()) % PageControlMain->count();
            while (!PageControlMain->isTabVisible(next) && next != index);
            PageControlMain->setCurrentIndex(next);
            return;
        }
        m_lastPage = index;
        guard([&] { PageControlMainChange(index); });
    });
}

void TForm1::startUp(const StartupOptions &options)
{
    // 2. The program folder.
    const ProgramFolder folder = ProgramFolder::locate(options.programDir, options.pictureDir, options.executableDir);
    ProgramDir = folder.dataDir;
    PictureDir = folder.pictureDir;
    // One running program per folder: a second one ends here with a message that
    // names the first, before it reads or writes anything.
    m_folderLock = std::make_unique<FolderLock>(ProgramDir);
    m_folderLock->acquire();
    // Where the data are; data the user cannot change are said so once.
    TabSheetAbout->showDataFolder(folder.description());
    if (!folder.readOnlyNote().isEmpty())
        ui::warning(desktop(), this, "Kvitanky", folder.readOnlyNote(), false);

    // 3. The settings file, created empty when missing.
    const QString iniPath = programFile("Kvitanky.ini");
    if (!QFile::exists(iniPath)) {
        QFile f(iniPath);
        if (!f.open(QIODevice::WriteOnly))
            ui::information(desktop(), this, "Nelze otevrít soubor 'Kvitanky.ini'");
    }
    SettingsFile = std::make_unique<IniFile>(iniPath);

    // 4. - 9.
    guard([this] { LoadSlipPictures(); });
    LoadSettings();
    OpenTables();
    guard([this] { ComposeSlip(); });
    FormReady = true;
    DataEditsReady = true;
    OwnerEditsReady = true;
    Printing->reportPrinter();
}

QString TForm1::programFile(const QString &name) const
{
    return QDir(ProgramDir).filePath(name);
}

QString TForm1::pictureFile(const QString &name) const
{
    return QDir(PictureDir).filePath(name);
}

bool TForm1::guard(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &e) {
        const QString text = QString::fromUtf8(e.what());
        // Start-up composes the slip several times (each table shown, then the slip
        // itself): one bad setting is reported once, not once per composition.
        if (!FormReady) {
            if (m_startupErrors.contains(text))
                return false;
            m_startupErrors.insert(text);
        }
        ui::error(desktop(), this, text);
    }
    return false;
}

void TForm1::LoadSettings()
{
    IniFile &ini = *SettingsFile;
    const auto readText = [&](const SettingKey &k) {
        if (QLineEdit *e = edit(k.key))
            e->setText(ini.readString(k.section, k.key, e->text()));
    };
    const auto readFlag = [&](const SettingKey &k) {
        if (QCheckBox *c = check(k.key))
            c->setChecked(ini.readBool(k.section, k.key, c->isChecked()));
    };
    const auto &keys = settingKeys();
    // 1.-3. Positions, owner, character sets and flags; the two layout flags are not read.
    for (const SettingKey &k : keys) {
        if (k.section == Section::Layout && k.form == SettingForm::Text)
            readText(k);
    }
    for (const SettingKey &k : keys) {
        if (k.section == Section::Owner)
            readText(k);
    }
    for (const SettingKey &k : keys) {
        if (k.section == Section::Set && k.form == SettingForm::Text)
            readText(k);
    }
    for (const SettingKey &k : keys) {
        if (k.section == Section::Set && k.form == SettingForm::Flag)
            readFlag(k);
    }
    // 4. The two modes, also when the flags kept their designed states.
    ApplyOwnersAdrMode();
    ApplyOwnersKsVsMode();
    // 5.-6. Calibration, with the up-down buttons in step. A value that is not an
    // integer leaves its button where it was; the page reports it when edited.
    const auto syncUpDown = [&](const QString &key, UpDown *upDown) {
        bool ok = false;
        const int v = edit(key)->text().trimmed().toInt(&ok);
        if (ok && upDown)
            upDown->setPosition(v);
    };
    readText(settingKey(key::EditCalibrationPrintSizePDFX));
    readText(settingKey(key::EditCalibrationPrintSizePDFY));
    syncUpDown(key::EditCalibrationPrintSizePDFX, TabSheetCalibration->UpDownCalibrationXArea);
    syncUpDown(key::EditCalibrationPrintSizePDFY, TabSheetCalibration->UpDownCalibrationYArea);
    readText(settingKey(key::EditCalibrationPrintNullAxesX));
    readText(settingKey(key::EditCalibrationPrintNullAxesY));
    for (const QString &k : {key::EditCalibrationPrintNullAxesX, key::EditCalibrationPrintNullAxesY}) {
        if (edit(k)->text() == QLatin1String("-"))
            edit(k)->setText("0");
    }
    syncUpDown(key::EditCalibrationPrintNullAxesX, TabSheetCalibration->UpDownCalibrationPrintNullAxesX);
    syncUpDown(key::EditCalibrationPrintNullAxesY, TabSheetCalibration->UpDownCalibrationPrintNullAxesY);
    // 7. Data page.
    readText(settingKey(key::EditDataPriceWord));
    readFlag(settingKey(key::CheckBoxDataShowTitle));
    TabSheetSetting->CheckBoxPriceWordsCzech->setChecked(PriceWordSetting::read(ini) == WordSpelling::Czech);
    // 8. Preview or value boxes.
    TabSheetLayout->applyShowMode();
}

void TForm1::SaveSettings()
{
    IniFile &ini = *SettingsFile;
    // One replacement of the file: a crash leaves the old file or the new one, whole.
    ini.beginBatch();
    try {
        for (const SettingKey &k : settingKeys()) {
            if (k.form == SettingForm::Flag)
                ini.writeBool(k.section, k.key, m_settings.flag(k.key));
            else
                ini.writeString(k.section, k.key, m_settings.text(k.key));
        }
        TabSheetCalibration->savePrinterValues(ini);
        PriceWordSetting::save(ini, m_settings.wordSpelling());
    } catch (...) {
        ini.endBatch();
        throw;
    }
    ini.endBatch();
}

void TForm1::syncSlipContext()
{
    SlipContext &ctx = Slip->context();
    ctx.programDir = PictureDir;
    ctx.formReady = FormReady;
    ctx.previewOnly = PreviewOnly;
    ctx.printer = PrinterPage;
}

void TForm1::ComposeSlip()
{
    syncSlipContext();
    Slip->ComposeSlip();
}

void TForm1::LoadSlipPictures()
{
    syncSlipContext();
    Slip->LoadSlipPictures();
}

void TForm1::UpdatePrintScale()
{
    syncSlipContext();
    Slip->UpdatePrintScale();
}

void TForm1::ShowRecipient()
{
    TabSheetData->ShowRecipient();
}

void TForm1::ShowOwner()
{
    TabSheetOwnersAdr->ShowOwner();
}

namespace {

// Opens a table file of the program folder, or creates it with its sample rows.
void openOrCreate(DbfTable &table, const QString &path, const QString &programDir,
                  void (*create)(DbfTable &, const QString &), void (*addSamples)(DbfTable &))
{
    if (QFile::exists(path)) {
        table.setActive(false);
        table.setTableType(TableType::FoxPro);
        table.setTableName(path);
        table.setActive(true);
    } else {
        create(table, programDir);
        addSamples(table);
    }
}

} // namespace

void TForm1::OpenTables()
{
    // What the engine found worth saying about a table (a layout shown read-only,
    // records behind the header's count) is said once, as it opens.
    const auto tell = [this](const DbfTable &table) {
        if (!table.openNotice().isEmpty())
            ui::warning(desktop(), this, QStringLiteral("Upozornění"), table.openNotice(), false);
    };
    openOrCreate(TableData, recipientTablePath(ProgramDir), ProgramDir, CreateRecipientTable, AddSampleRecipients);
    tell(TableData);
    ui::setBoxesCodepage(TabSheetData, TableData.codepage());
    guard([this] { ShowRecipient(); });
    // The owner table is opened whatever the owner-directory option says.
    openOrCreate(TableOwners, ownerTablePath(ProgramDir), ProgramDir, CreateOwnerTable, AddSampleOwners);
    tell(TableOwners);
    ui::setBoxesCodepage(TabSheetOwnersAdr, TableOwners.codepage());
    guard([this] { ShowOwner(); });
}

void TForm1::ApplyOwnersAdrMode()
{
    TabSheetSetting->ApplyOwnersAdrMode();
}

void TForm1::ApplyOwnersKsVsMode()
{
    TabSheetSetting->ApplyOwnersKsVsMode();
}

void TForm1::CheckExcelAvailable()
{
    TabSheetImpExp->CheckExcelAvailable();
}

void TForm1::TablesChanged()
{
    TabSheetData->refreshGrid();
    TabSheetOwnersAdr->refreshGrid();
}

QString TForm1::ValidateNumberText(const QString &text)
{
    const QString t = withDecimalComma(text);
    if (isCommaDecimalNumber(t))
        return t;
    if (!t.isEmpty())
        ui::information(desktop(), this, notANumberMessage(t));
    return QString();
}

int TForm1::visibleTabIndex(int index) const
{
    int visible = 0;
    for (int i = 0; i < index; ++i) {
        if (PageControlMain->isTabVisible(i))
            ++visible;
    }
    return visible;
}

void TForm1::PageControlMainChange(int index)
{
    ComposeSlip();
    const int impExp = check(key::CheckBoxSetOwnersAdr) && check(key::CheckBoxSetOwnersAdr)->isChecked() ? 5 : 4;
    if (index >= 0 && visibleTabIndex(index) == impExp)
        CheckExcelAvailable();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (SaveOnClose) {
        try {
            SaveSettings();
        } catch (const std::exception &e) {
            const QString text = QString::fromUtf8(e.what())
                + QStringLiteral("\n\nNastavení nebylo uloženo. Ukoncit program i tak?");
            if (ui::warning(desktop(), this, "Kvitanky", text, true) != ui::MessageAnswer::Ok) {
                event->ignore();
                return;
            }
        }
    }
    event->accept();
}

} // namespace kvitanky
