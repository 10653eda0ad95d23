// SPDX-License-Identifier: GPL-3.0-or-later
// A searching test: random user actions on the real recipient, owner and settings
// pages, each followed by a check against a small model of the tables. A failing
// run prints its seed and the shortest action list found that still fails.
// KVITANKY_MODEL_ACTIONS sets the number of actions, KVITANKY_MODEL_SEED the seed.
#include "GuiTestSupport.h"

#include "data/DbfTable.h"
#include "data/OwnersPage.h"
#include "data/RecipientPage.h"
#include "data/TableNavigator.h"
#include "print/AccountParts.h"
#include "text/InsertedText.h"
#include "exchange/ImpExpPage.h"
#include "text/Codepage.h"
#include "render/LayoutPage.h"
#include "settings/IniFile.h"
#include "settings/SettingsPage.h"
#include "shell/LineBoxFilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <QFile>

#include <iostream>
#include <optional>
#include <span>
#include <random>

using namespace kvitanky;
using namespace testsupport;

namespace {

struct Box {
    const char *name;
    const char *column;
    int limit;
    const char *insertDefault;
};

// The boxes the model follows; the other boxes of the pages keep what the program puts there.
const Box recipientBoxes[] = {{"EditDataHonour", "TITUL", 10, ""},
                              {"EditDataFirstName", "JMENO", 30, ""},
                              {"EditDataCity", "OBEC", 30, ""},
                              {"EditDataTel", "TELEFON", 20, "+420 "},
                              {"EditDataEmail", "EMAIL", 40, "@"}};
const Box ownerBoxes[] = {{"EditOwnerAddress1", "Address1", 30, ""}, {"EditOwnerAddress2", "Address2", 30, ""},
                          {"EditOwnerAddress3", "Address3", 30, ""}, {"EditOwnerNum1", "Num1", 6, ""},
                          {"EditOwnerNum2", "Num2", 10, ""},         {"EditOwnerIDB", "IDB", 4, ""},
                          {"EditOwnerConstS", "ConstS", 4, ""}};
constexpr int FirstAccountBox = 3;   // ownerBoxes' first account box; the bank code's is two further
const Box settingBoxes[] = {{"EditSetOwnerAddress1", nullptr, 0, ""},
                            {"EditSetOwnerAddress3", nullptr, 0, ""},
                            {"EditSetOwnerAddressMessage1", nullptr, 12, ""}};

enum Kind { Click, RightClick, Drag, WheelClick, Keys, Navigate, Type, Paste, Insert, Delete, DeleteAll,
            Save, SwitchPage, LayoutStep, SettingPaste, CsvImport, KindCount };

struct Action {
    Kind kind;
    bool owners;   // which table page
    int a, b;      // rows, boxes, keys, buttons (taken modulo what exists at run time)
    QString text;

    QString describe() const
    {
        static const char *names[] = {"click", "rightClick", "drag", "wheelClick", "keys", "navigate", "type",
                                      "paste", "insert", "delete", "deleteAll", "save", "switchPage",
                                      "layoutStep", "settingPaste", "csvImport"};
        QString t = text;
        t.replace('\r', "\\r").replace('\n', "\\n");
        return QStringLiteral("%1(%2, %3, %4, \"%5\")").arg(names[kind]).arg(owners ? "owners" : "recipients")
            .arg(a).arg(b).arg(t);
    }
};

QString randomText(std::mt19937 &rng)
{
    static const QString pieces[] = {"a", "Z", "ř", "Č", " ", "1", "0", "-", "/", "ñ", "Ω", "\n", "\r\n", "€",
                                     "Nové Hobzí", "0123456789012345"};
    QString t;
    const int n = int(rng() % 5) + 1;
    for (int i = 0; i < n; ++i)
        t += pieces[rng() % std::size(pieces)];
    return t;
}

std::vector<Action> randomActions(quint32 seed, int count)
{
    std::mt19937 rng(seed);
    // Weights: browsing and typing dominate, as under real hands.
    static const int weights[KindCount] = {6, 2, 3, 2, 4, 4, 8, 4, 3, 2, 1, 1, 2, 2, 1, 1};
    std::discrete_distribution<int> kind(std::begin(weights), std::end(weights));
    std::vector<Action> actions;
    for (int i = 0; i < count; ++i) {
        Action act{Kind(kind(rng)), rng() % 3 == 0, int(rng() % 64), int(rng() % 64), QString()};
        if (act.kind == Type || act.kind == Paste || act.kind == SettingPaste)
            act.text = randomText(rng);
        actions.push_back(act);
    }
    return actions;
}

// One table as the user should see it.
struct TableModel {
    std::span<const Box> boxes;
    QList<QStringList> rows;   // stored values, trailing blanks dropped
    QStringList shown;         // what the boxes show
    int cursor = -1;
    bool pending = false;
    int cursorBeforeInsert = -1;
    bool showsInsertDefaults = false;

    QStringList emptyRow() const { return QStringList(qsizetype(boxes.size())); }
    void show()
    {
        shown = cursor >= 0 ? rows[cursor] : emptyRow();
        showsInsertDefaults = false;
    }
    void dropPending()
    {
        if (pending)
            cursor = cursorBeforeInsert;
        pending = false;
    }
    // `reshow`: the page shows the row even when it is the one already shown.
    void moveTo(int row, bool reshow = true)
    {
        if (!reshow && !pending && row == cursor)
            return;
        dropPending();
        cursor = rows.isEmpty() ? -1 : qBound(0, row, int(rows.size()) - 1);
        show();
    }
    // The box at `box` changed to `text`: written into the row shown.
    void write(int box, const QString &text)
    {
        shown[box] = text;
        showsInsertDefaults = false;
        if (pending || rows.isEmpty()) {
            rows.append(emptyRow());
            cursor = int(rows.size()) - 1;
            pending = false;
        }
        QString stored = text;
        while (stored.endsWith(' '))
            stored.chop(1);
        rows[cursor][box] = stored;
    }
};

QString rtrimmed(QString s)
{
    while (s.endsWith(' '))
        s.chop(1);
    return s;
}

QString joined(const QList<QStringList> &rows)
{
    QStringList parts;
    for (const QStringList &r : rows)
        parts << r.join('|');
    return QString::number(rows.size()) + " rows [" + parts.join("; ") + "]";
}

class PageModelTest : public FormTest
{
protected:
    struct Run {
        TempDir dir;
        std::unique_ptr<TForm1> form;
        TableModel recipients{recipientBoxes, {}, {}};
        TableModel owners{ownerBoxes, {}, {}};
        QStringList settings;
    };

    void startRun(Run &run)
    {
        StartupOptions o;
        o.programDir = run.dir.path();
        o.pictureDir = binDir();
        o.desktop = desktop;
        run.form = std::make_unique<TForm1>(o);
        answerSpreadsheetProbe(*run.form, desktop);
        if (!run.form->findChild<QCheckBox *>("CheckBoxSetOwnersAdr")->isChecked())
            run.form->findChild<QCheckBox *>("CheckBoxSetOwnersAdr")->click();
        run.form->show();
        run.form->PageControlMain->setCurrentWidget(run.form->TabSheetData);
        for (auto [model, table] : {std::pair{&run.recipients, &run.form->TableData},
                                    std::pair{&run.owners, &run.form->TableOwners}}) {
            model->rows = fileRows(*table, model->boxes);
            model->cursor = model->rows.isEmpty() ? -1 : 0;
            model->show();
        }
        for (const Box &b : settingBoxes)
            run.settings << run.form->findChild<QLineEdit *>(b.name)->text();
        messages.clear();
    }

    static QList<QStringList> fileRows(const DbfTable &open, std::span<const Box> boxes)
    {
        DbfTable t;
        t.setTableName(open.tableName());
        t.setActive(true);
        QList<QStringList> rows;
        for (int r = 0; r < t.recordCount(); ++r) {
            t.moveTo(r);
            QStringList row;
            for (const Box &b : boxes)
                row << rtrimmed(t.fieldByName(b.column).asString());
            rows << row;
        }
        return rows;
    }

    // Expected box text after `text` is pasted over the whole box.
    static QString pasted(const QString &text, int limit)
    {
        QString t;
        for (QChar c : LineBoxFilter::oneLine(text))
            if (!c.isSurrogate() && LineBoxFilter::storable(c))
                t += c;
        return limit > 0 ? t.left(limit) : t;
    }

    // The owner's account boxes take a paste over the whole box as typing does
    // when it is one character; a whole account fills all three; digits that fit
    // go in without their blanks; anything else is refused.
    static void accountPaste(TableModel &m, int boxIndex, const QString &t)
    {
        const QString before = m.shown[boxIndex];
        if (insertedText(before, t).size() <= 1) {
            const QString cut = t.left(m.boxes[boxIndex].limit);
            if (cut != before)
                m.write(boxIndex, cut);
            return;
        }
        if (const std::optional<AccountParts> parts = splitAccount(t)) {
            const QString values[] = {parts->prefix, parts->number, parts->bankCode};
            for (int i = 0; i < 3; ++i) {
                if ((i < 2 || !values[i].isEmpty()) && values[i] != m.shown[FirstAccountBox + i])
                    m.write(FirstAccountBox + i, values[i]);
            }
            return;
        }
        QString digits = t;
        digits.removeIf([](QChar c) { return c.isSpace(); });
        const bool ok = !digits.isEmpty() && digits.size() <= m.boxes[boxIndex].limit
                        && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= '0' && c <= '9'; });
        if (ok && digits != before)
            m.write(boxIndex, digits);
    }

    void act(Run &run, const Action &x)
    {
        TForm1 &f = *run.form;
        TableModel &m = x.owners ? run.owners : run.recipients;
        QWidget *page = x.owners ? static_cast<QWidget *>(f.TabSheetOwnersAdr) : f.TabSheetData;
        auto *grid = page->findChild<QTableView *>(x.owners ? "DBGridOwners" : "DBGridData");
        DbfTable &table = x.owners ? f.TableOwners : f.TableData;
        const int n = int(m.rows.size());
        const bool onPage = x.kind != SwitchPage && x.kind != LayoutStep && x.kind != SettingPaste
                            && x.kind != CsvImport;
        if (onPage)
            f.PageControlMain->setCurrentWidget(page);
        const int boxIndex = x.a % int(m.boxes.size());
        QLineEdit *box = page->findChild<QLineEdit *>(m.boxes[boxIndex].name);
        switch (x.kind) {
        case Click: case RightClick: case WheelClick:
            if (n == 0)
                return;
            if (x.kind == WheelClick)
                wheelGrid(grid, x.b % 3 - 1);
            clickRow(grid, x.a % n, x.kind == RightClick ? Qt::RightButton : Qt::LeftButton);
            m.moveTo(x.a % n, false);
            return;
        case Drag:
            if (n == 0)
                return;
            dragRows(grid, x.a % n, x.b % n);
            // Where a drag over rows scrolled out of view ends is the grid's matter;
            // the cursor and the boxes must go wherever the grid's current row went.
            m.moveTo(x.a % n, false);   // the press already moves there
            m.moveTo(grid->currentIndex().isValid() ? grid->currentIndex().row() : x.b % n, false);
            return;
        case Keys: {
            static const int keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown,
                                       Qt::Key_PageUp};
            const int key = keys[x.a % 6];
            const bool hadCurrent = grid->currentIndex().isValid();
            holdKey(grid, key, x.b % 4 + 1);
            if (n == 0)
                return;
            const int reps = x.b % 4 + 1;
            const int from = m.cursor;
            if (!hadCurrent || (key != Qt::Key_Down && key != Qt::Key_Up)) {
                // How far a page or a first key goes is the grid's own matter (Home
                // and End move between columns).
                m.moveTo(table.recNo());
                return;
            }
            m.moveTo(key == Qt::Key_Down ? from + reps : from - reps);
            return;
        }
        case Navigate: {
            const auto which = TableNavigator::Button(x.a % 4);
            auto *nav = page->findChild<TableNavigator *>(x.owners ? "DBNavigatorOwners" : "DBNavigatorData");
            if (!nav->button(which)->isEnabled())
                return;
            nav->button(which)->click();
            if (n == 0) {   // the move drops a new record nobody filled in
                m.dropPending();
                m.show();
                return;
            }
            m.dropPending();
            const int to = which == TableNavigator::Button::First ? 0
                         : which == TableNavigator::Button::Prior ? m.cursor - 1
                         : which == TableNavigator::Button::Next  ? m.cursor + 1
                                                                   : n - 1;
            m.moveTo(to);
            return;
        }
        case Type: {
            box->end(false);
            for (QChar c : x.text) {
                typeText(box, QString(c));
                if (c == '\r' || c == '\n')
                    continue;   // Enter in a line box adds nothing
                const bool separator = (box->objectName() == "EditOwnerNum1" && c == '-')
                                       || (box->objectName() == "EditOwnerNum2" && c == '/');
                const int limit = m.boxes[boxIndex].limit;
                if (separator || !LineBoxFilter::storable(c) || m.shown[boxIndex].size() >= limit)
                    continue;
                m.write(boxIndex, m.shown[boxIndex] + c);
            }
            return;
        }
        case Paste: {
            QApplication::clipboard()->setText(x.text);
            box->selectAll();
            box->paste();
            const QString t = pasted(x.text, m.boxes[boxIndex].limit);
            if (x.owners && boxIndex >= FirstAccountBox && boxIndex < FirstAccountBox + 3) {
                accountPaste(m, boxIndex, pasted(x.text, 0));
                return;
            }
            if (t != m.shown[boxIndex])
                m.write(boxIndex, t);
            return;
        }
        case Insert: {
            page->findChild<QPushButton *>(x.owners ? "ButtonTableOwnersInsert" : "ButtonDataTableInsert")->click();
            // Owner boxes all empty, or the boxes already holding the defaults: no box
            // changes, so the new record stays pending.
            bool defaults = x.owners ? std::all_of(m.shown.begin(), m.shown.end(), [](auto &s) { return s.isEmpty(); })
                                     : m.showsInsertDefaults;
            if (!m.pending)
                m.cursorBeforeInsert = m.cursor;
            m.pending = true;
            if (!defaults) {
                m.rows.append(m.emptyRow());
                m.cursor = int(m.rows.size()) - 1;
                m.pending = false;
                for (int i = 0; i < int(m.boxes.size()); ++i)
                    m.rows[m.cursor][i] = rtrimmed(QString::fromUtf8(m.boxes[i].insertDefault));
            }
            for (int i = 0; i < int(m.boxes.size()); ++i)
                m.shown[i] = QString::fromUtf8(m.boxes[i].insertDefault);
            m.showsInsertDefaults = true;
            return;
        }
        case Delete:
            page->findChild<QPushButton *>(x.owners ? "ButtonTableOwnersDelete" : "ButtonDataTableDelete")->click();
            if (m.pending) {
                m.dropPending();
            } else if (n > 0) {
                m.rows.removeAt(m.cursor);
                m.cursor = qMin(m.cursor, int(m.rows.size()) - 1);
            }
            m.show();
            return;
        case DeleteAll:
            f.TabSheetData->DeleteAllRecipients();
            run.recipients.rows.clear();
            run.recipients.pending = false;
            run.recipients.cursor = -1;
            run.recipients.show();
            return;
        case Save:
            // A record nobody typed into (a pending one, or none) is not posted.
            f.TabSheetData->ButtonDataTableSave->click();
            return;
        case SwitchPage:
            f.PageControlMain->setCurrentWidget(x.a % 2 ? static_cast<QWidget *>(f.TabSheetOwnersAdr)
                                                        : f.TabSheetSetting);
            f.PageControlMain->setCurrentWidget(page);
            return;
        case LayoutStep: {
            if (x.owners)
                return;   // owner stepping copies into the settings: left to the settings tests
            f.PageControlMain->setCurrentWidget(f.TabSheetLayout);
            const char *name = x.b % 2 ? "ButtonLayoutValuesNext" : "ButtonLayoutValuesPrevious";
            auto *step = f.TabSheetLayout->findChild<QPushButton *>(name);
            if (step->isEnabled())
                step->click();
            f.PageControlMain->setCurrentWidget(page);
            // Where the layout page's step leaves the cursor is that page's matter.
            if (!table.isEditing())
                m.moveTo(table.active() ? table.recNo() : -1, false);
            return;
        }
        case SettingPaste: {
            f.PageControlMain->setCurrentWidget(f.TabSheetSetting);
            const int i = x.a % int(std::size(settingBoxes));
            auto *s = f.TabSheetSetting->findChild<QLineEdit *>(settingBoxes[i].name);
            QApplication::clipboard()->setText(x.text);
            s->selectAll();
            s->paste();
            run.settings[i] = pasted(x.text, settingBoxes[i].limit);
            f.findChild<QPushButton *>("ButtonSetSave")->click();
            return;
        }
        case CsvImport: {
            // One or two rows in the full format, appended by the import page.
            const QString csv = run.dir.file("vstup.csv");
            QList<QStringList> added;
            QByteArray content;
            for (int i = 0; i <= x.b % 2; ++i) {
                const QString name = QStringLiteral("Import%1").arg(x.a + i);
                content += toCp1250(QStringLiteral(";%1;Nováček;Dlouhá 1;Brno;602 00;100;7;0;;;0\r\n").arg(name));
                added << QStringList{QString(), name, QStringLiteral("Brno"), QString(), QString()};
            }
            writeFile(csv, content);
            desktop->chosenFile = csv;
            f.PageControlMain->setCurrentWidget(f.TabSheetImpExp);
            f.TabSheetImpExp->ButtonImportCsv->click();
            run.recipients.dropPending();
            run.recipients.rows += added;
            f.PageControlMain->setCurrentWidget(f.TabSheetData);
            // Where the import leaves the cursor is its own matter; the page shows that row.
            run.recipients.moveTo(f.TableData.recNo());
            return;
        }
        case KindCount:
            return;
        }
    }

    // What differs between the pages and the model; empty when nothing does.
    static QString check(Run &run)
    {
        TForm1 &f = *run.form;
        for (bool owners : {false, true}) {
            TableModel &m = owners ? run.owners : run.recipients;
            DbfTable &table = owners ? f.TableOwners : f.TableData;
            QWidget *page = owners ? static_cast<QWidget *>(f.TabSheetOwnersAdr) : f.TabSheetData;
            const QString which = owners ? "owners: " : "recipients: ";
            const QList<QStringList> file = fileRows(table, m.boxes);
            if (file != m.rows)
                return which + "file holds " + joined(file) + ", model " + joined(m.rows);
            if (!page->isVisible())
                continue;   // a hidden page catches up when shown
            if (table.isEditing() != m.pending)
                return which + "pending record " + (m.pending ? "expected" : "unexpected");
            if (!m.pending && table.recNo() != m.cursor)
                return which + QStringLiteral("cursor at %1, model at %2").arg(table.recNo()).arg(m.cursor);
            for (int i = 0; i < int(m.boxes.size()); ++i) {
                const QString shown = page->findChild<QLineEdit *>(m.boxes[i].name)->text();
                if (rtrimmed(shown) != rtrimmed(m.shown[i]))
                    return which + QStringLiteral("box %1 shows '%2', model '%3'")
                                       .arg(m.boxes[i].name, shown, m.shown[i]);
            }
            auto *grid = page->findChild<QTableView *>(owners ? "DBGridOwners" : "DBGridData");
            const QModelIndexList sel = grid->selectionModel()->selectedRows();
            const int highlighted = sel.size() == 1 ? sel[0].row() : sel.isEmpty() ? -1 : -2;
            const int expected = m.pending ? -1 : m.cursor;
            if (highlighted != expected)
                return which + QStringLiteral("grid highlights %1, cursor %2").arg(highlighted).arg(expected);
        }
        IniFile ini(f.programFile("Kvitanky.ini"));
        for (int i = 0; i < int(std::size(settingBoxes)); ++i) {
            const QString box = f.findChild<QLineEdit *>(settingBoxes[i].name)->text();
            if (box != run.settings[i])
                return QStringLiteral("settings box %1 shows '%2', model '%3'").arg(settingBoxes[i].name, box, run.settings[i]);
            if (QFile::exists(ini.path()) && ini.hasKey("OWNER", settingBoxes[i].name)
                && ini.readString("OWNER", settingBoxes[i].name, QString()) != box)   // blanks at the ends kept
                return QStringLiteral("settings file holds '%1' for %2, box '%3'")
                    .arg(ini.readString("OWNER", settingBoxes[i].name, QString()), settingBoxes[i].name, box);
        }
        return {};
    }

    // Runs the actions on a fresh program folder; the failure, with the index of the
    // action after which it showed, or nothing.
    std::optional<std::pair<int, QString>> replay(const std::vector<Action> &actions, QString *dbfPath = nullptr)
    {
        Run run;
        startRun(run);
        for (int i = 0; i < int(actions.size()); ++i) {
            const bool deleteOnEmpty = actions[i].kind == Delete
                && (actions[i].owners ? run.owners : run.recipients).rows.isEmpty()
                && !(actions[i].owners ? run.owners : run.recipients).pending;
            messages.clear();
            act(run, actions[i]);
            QString fault = check(run);
            for (const ui::MessageRequest &r : messages)
                if (r.kind == ui::MessageKind::Error && !deleteOnEmpty && fault.isEmpty())
                    fault = "error shown: " + r.text;
            if (!fault.isEmpty())
                return std::pair{i, fault};
        }
        if (dbfPath) {
            *dbfPath = run.dir.file("Data.dbf");
            finalRows = run.recipients.rows;
            run.form.reset();
            finalDbfread = dbfreadRows(*dbfPath);
        }
        return std::nullopt;
    }

    static QList<QStringList> dbfreadRows(const QString &path)
    {
        const QString script = QStringLiteral(
            "import sys, json, dbfread\n"
            "cols = sys.argv[2].split(',')\n"
            "print(json.dumps([[(r[c] or '').rstrip() for c in cols] for r in dbfread.DBF(sys.argv[1], encoding='cp1250')]))\n");
        QStringList cols;
        for (const Box &b : recipientBoxes)
            cols << b.column;
        int code = -1;
        const QByteArray out = runProgram(debianPython(), {"-c", script, path, cols.join(',')}, &code);
        QList<QStringList> rows;
        for (const QJsonValue &r : QJsonDocument::fromJson(out).array()) {
            QStringList row;
            for (const QJsonValue &v : r.toArray())
                row << v.toString();
            rows << row;
        }
        return rows;
    }

    // Delta debugging: the shortest sublist found that still fails.
    // Only lists failing the same way count (the same first words of the fault).
    std::vector<Action> shrink(std::vector<Action> failing, const QString &fault)
    {
        const QString kind = fault.section(' ', 0, 2);
        const auto stillFails = [&](const std::vector<Action> &list) {
            const auto f = replay(list);
            return f && f->second.section(' ', 0, 2) == kind;
        };
        size_t chunks = 2;
        int budget = 150;   // replays; a long list shrinks part way rather than for ever
        while (failing.size() >= 2 && budget > 0) {
            const size_t size = (failing.size() + chunks - 1) / chunks;
            bool reduced = false;
            for (size_t start = 0; start < failing.size(); start += size) {
                std::vector<Action> rest(failing.begin(), failing.begin() + start);
                rest.insert(rest.end(), failing.begin() + std::min(failing.size(), start + size), failing.end());
                if (--budget < 0)
                    break;
                if (stillFails(rest)) {
                    failing = rest;
                    chunks = std::max<size_t>(chunks - 1, 2);
                    reduced = true;
                    break;
                }
            }
            if (!reduced) {
                if (chunks >= failing.size())
                    break;
                chunks = std::min(failing.size(), chunks * 2);
            }
        }
        return failing;
    }

    QList<QStringList> finalRows;
    QList<QStringList> finalDbfread;
};

TEST_F(PageModelTest, RandomUserActionsKeepPagesAndFilesInStep)
{
    const int count = qEnvironmentVariableIsSet("KVITANKY_MODEL_ACTIONS")
                          ? qEnvironmentVariableIntValue("KVITANKY_MODEL_ACTIONS") : 2000;
    const quint32 seed = qEnvironmentVariableIsSet("KVITANKY_MODEL_SEED")
                             ? quint32(qEnvironmentVariableIntValue("KVITANKY_MODEL_SEED"))
                             : std::random_device{}();
    answer = ui::MessageAnswer::Ok;
    const std::vector<Action> actions = randomActions(seed, count);
    QString dbf;
    const auto failure = replay(actions, &dbf);
    if (failure) {
        std::vector<Action> prefix(actions.begin(), actions.begin() + failure->first + 1);
        const std::vector<Action> shortest = shrink(prefix, failure->second);
        QString list;
        for (const Action &a : shortest)
            list += "  " + a.describe() + "\n";
        const auto last = replay(shortest);
        FAIL() << "seed " << seed << " (" << count << " actions): " << failure->second.toStdString()
               << "\nshortest failing list (" << shortest.size() << " actions):\n" << list.toStdString()
               << (last ? "  -> " + last->second.toStdString() : std::string());
    }
    std::cout << "model test: seed " << seed << ", " << count << " actions, no fault\n";
    if (havePythonModule("dbfread")) {
        EXPECT_EQ(joined(finalDbfread).toStdString(), joined(finalRows).toStdString()) << "seed " << seed;
    }
}

} // namespace
