#include "view/ViewCommandTable.h"

#include "view/MeasurementDocument.h"
#include "view/ViewHost.h"

namespace rebar {

namespace {

using D = MeasurementDocument;

QString u(const char* s) {
    return QString::fromUtf8(s);
}

bool only940(const D& d) {
    return d.record().is940();
}
bool never(const D&) {
    return false;
}
bool markerLines(const D& d) {
    return d.HasMarkerLines();
}

class TableBuilder {
public:
    std::vector<ViewCommand> rows;

    // A top-level menu (Menu1 item i) or the popup.
    void menu(ViewCommand::Kind kind, int i, const QString& menuName, const char* design,
              int caption, ViewCommand::StateFn enabled = nullptr) {
        ViewCommand c;
        c.kind = kind;
        c.array = QStringLiteral("Menu1");
        c.index = i;
        c.menuName = menuName;
        c.design = u(design);
        c.caption = caption;
        c.enabled = enabled;
        rows.push_back(c);
    }
    ViewCommand& item(const QString& parent, const QString& array, int index, const QString& design,
                      int caption) {
        ViewCommand c;
        c.array = array;
        c.index = index;
        c.parent = parent;
        c.design = design;
        c.caption = caption;
        rows.push_back(c);
        return rows.back();
    }
    ViewCommand& submenu(const QString& parent, const QString& array, int index,
                         const QString& menuName, const char* design, int caption) {
        ViewCommand& c = item(parent, array, index, u(design), caption);
        c.kind = ViewCommand::Submenu;
        c.menuName = menuName;
        return c;
    }
    // Items 0..n-1 of a radio group run by one document command, marked from the document.
    void group(const QString& parent, const QString& array, const QStringList& design,
               int firstCaption, ViewCommand::DocumentFn run, ViewCommand::MarkFn checked) {
        for (int i = 0; i < design.size(); ++i) {
            ViewCommand& c =
                item(parent, array, i, design[i], firstCaption < 0 ? -1 : firstCaption + i);
            c.checkable = true;
            c.run = run;
            c.checked = checked;
        }
    }
};

QStringList texts(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* s : list)
        out << u(s);
    return out;
}

#define MARK(field) ViewCommand::MarkFn([](const D& d, int i) { return d.marks().field == i; })

void fileMenu(TableBuilder& t) {
    const QString m = QStringLiteral("Menu1_0"), a = QStringLiteral("menu2");
    static const char* items[] = {"開く", "上書き保存", "名前を付けて保存", "JPEG保存", "コピー",
                                  "印刷", "報告書作成", "閉じる",           "一括変換", "終了"};
    static const WindowCommand runs[] = {
        WindowCommand::None,       WindowCommand::Save,  WindowCommand::SaveAs,
        WindowCommand::JpegDialog, WindowCommand::Copy,  WindowCommand::None,
        WindowCommand::None,       WindowCommand::Close, WindowCommand::ConvertOpenViews,
        WindowCommand::None};
    for (int i = 1; i <= 10; ++i) {
        if (i == 6) {
            const QString print = QStringLiteral("Menu21_0");
            t.submenu(m, a, 6, print, items[5], 18);
            t.item(print, print, 0, u("スクリーン印刷"), 93).window = WindowCommand::ScreenPrint;
            t.item(print, print, 1, u("測定データ印刷"), 94).window = WindowCommand::DataPrint;
            continue;
        }
        ViewCommand& c = t.item(m, a, i, u(items[i - 1]), 12 + i);
        c.window = runs[i - 1];
        if (i == 1)
            c.host = &ViewHost::OpenCommand;
        if (i == 7)
            c.host = &ViewHost::ShowReportSetup;
        if (i == 10)
            c.host = &ViewHost::ExitCommand;
        if (i == 2)
            c.enabled = [](const D& d) { return d.marks().SaveEnabled; };
    }
}

// The marker list's commands: in the menu bar (Menu13 in Menu1 item 8) and as the list's popup
// (Menu11), on the list's selected line; and the view's cover compliance settings.
void markerListMenu(TableBuilder& t, const QString& parent, const QString& array) {
    static const char* listEdit[] = {"削除", "整列", "昇順", "降順"};
    for (int i = 0; i < 4; ++i) {
        ViewCommand& c = t.item(parent, array, i, u(listEdit[i]), 101 + i);
        c.window = WindowCommand::MarkerList;
        c.enabled = markerLines;
    }
    t.item(parent, array, 4, u("かぶり判定設定..."), 281).window = WindowCommand::CoverSettings;
}

// Undo and redo of the marker commands.
void editMenu(TableBuilder& t) {
    t.menu(ViewCommand::TopMenu, 15, QStringLiteral("Menu1_15"), "編集", 278);
    ViewCommand& undo =
        t.item(QStringLiteral("Menu1_15"), QStringLiteral("MenuEdit"), 0, u("元に戻す"), 279);
    undo.run = &D::UndoCommand;
    undo.enabled = [](const D& d) { return d.canUndo(); };
    undo.shortcuts = {QKeySequence(Qt::CTRL | Qt::Key_Z)};
    ViewCommand& redo =
        t.item(QStringLiteral("Menu1_15"), QStringLiteral("MenuEdit"), 1, u("やり直し"), 280);
    redo.run = &D::RedoCommand;
    redo.enabled = [](const D& d) { return d.canRedo(); };
    redo.shortcuts = {QKeySequence(Qt::CTRL | Qt::Key_Y),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
}

void displayMenus(TableBuilder& t) {
    QStringList steps;
    static const char* band[] = {"-2", "-1", "auto", "+1", "+2", "+3", "+4"};
    for (int i = 0; i < 14; ++i)
        steps << u(band[i % 7]) + (i < 7 ? u("浅") : u("深"));
    t.group(QStringLiteral("Menu1_1"), QStringLiteral("Menu3"), steps, 23, &D::SensitivityCommand,
            MARK(Sensitivity));
    for (int i : {5, 6, 12, 13}) // the 730 family has five steps a band
        t.rows[t.rows.size() - 14 + static_cast<size_t>(i)].visible = only940;

    t.group(QStringLiteral("Menu1_2"), QStringLiteral("Menu4"),
            texts({"カラー1-絶対値", "カラー1-ｵﾌｾｯﾄ", "カラー2-絶対値", "カラー2-ｵﾌｾｯﾄ",
                   "カラー3-絶対値", "カラー3-ｵﾌｾｯﾄ", "モノクロ1-絶対値", "モノクロ1-ｵﾌｾｯﾄ",
                   "モノクロ2-絶対値", "モノクロ2-ｵﾌｾｯﾄ", "モノクロ3-ｵﾌｾｯﾄ", "モノクロ4-ｵﾌｾｯﾄ"}),
            37, &D::GradationCommand, MARK(Gradation));
    for (size_t i : {10u, 11u})
        t.rows[t.rows.size() - 12 + i].visible = only940;

    // Depth calibration: the presets, the time axis and the permittivity dialog.
    t.group(QStringLiteral("Menu1_3"), QStringLiteral("Menu5"),
            texts({"+3  [ 10.7 ]", "+2  [  9.8 ]", "+1  [  8.9 ]", "+0  [  8.0 ]", "-1  [  7.4 ]",
                   "-2  [  6.8 ]", "-3  [  6.2 ]", "ns  [ 時間 ]", "比誘電率設定"}),
            49, &D::PermittivityCommand, MARK(Permittivity));
    t.rows.back().run = nullptr;
    t.rows.back().window = WindowCommand::PermittivityDialog;

    t.group(QStringLiteral("Menu1_4"), QStringLiteral("Menu12"),
            texts({"浅", "標準", "深", "浅W", "標準W", "深W"}), 81, &D::ViewRangeCommand,
            MARK(ViewRange));
    t.group(QStringLiteral("Menu1_5"), QStringLiteral("Menu15"), texts({"等倍", "1/2倍"}), 87,
            &D::CoverMagnificationCommand, MARK(Magnification));

    // Units: distance and depth submenus; the unit words are not translated.
    const QString units = QStringLiteral("Menu1_6");
    t.submenu(units, QStringLiteral("Menu16"), 0, QStringLiteral("Menu16_0"), "距離", 111);
    t.group(QStringLiteral("Menu16_0"), QStringLiteral("Menu16_0"),
            texts({"mm", "cm", "m", "inch"}), -1, &D::DistanceUnitCommand, MARK(DistanceUnit));
    t.submenu(units, QStringLiteral("Menu16"), 1, QStringLiteral("Menu16_1"), "深さ", 112).enabled =
        [](const D& d) { return d.record().Permittivity != 0; }; // no depth on the time axis
    t.group(QStringLiteral("Menu16_1"), QStringLiteral("Menu16_1"),
            texts({"mm", "cm", "m", "inch"}), -1, &D::DepthUnitCommand, MARK(DepthUnit));

    t.group(QStringLiteral("Menu1_7"), QStringLiteral("Menu6"), texts({"正方向", "逆方向"}), 58,
            &D::DirectionCommand, MARK(Direction));
    markerListMenu(t, QStringLiteral("Menu1_8"), QStringLiteral("Menu13"));
}

// The B-mode edit menu: in the menu bar (Menu14 in Menu1 item 9) and over the radargram
// (Menu10), the same 13 items with the same indices.
void bmodeMenu(TableBuilder& t, const QString& parent, const QString& array,
               const QString& groups) {
    static const char* items[] = {
        "マーカ追加",  "マーカ削除",     "マーカＧｒ変更",     "マーカ自動検出",
        "原画再生",    "固定表面波処理", "ユーザー表面波処理", "マニュアル表面波処理",
        "減算処理",    "平均波処理",     "自動感度調整",       "ピーク処理",
        "比誘電率逆算"};
    const bool popup = array == QLatin1String("Menu10");
    for (int i = 0; i < 13; ++i) {
        if (i == 2) {
            t.submenu(parent, array, 2, groups, items[2], 70).visible = only940;
            for (int g = 0; g < 3; ++g) {
                ViewCommand& c = t.item(groups, groups, g, QStringLiteral("Gr %1").arg(g), -1);
                c.checkable = true;
                c.run = &D::MarkerGroupCommand;
                c.checked = [](const D& d, int i) {
                    return d.record().is940() && d.marks().MarkerGroup == i;
                };
            }
        } else if (i == 3 && !popup) {
            // From the start, from the end, and the fitted detector.
            const QString detect = QStringLiteral("Menu19_0");
            t.submenu(parent, array, 3, detect, items[3], 71);
            static const char* modes[] = {"初めから", "終わりから", "フィット検出"};
            for (int m = 0; m < 3; ++m)
                t.item(detect, detect, m, u(modes[m]), 90 + m).window = WindowCommand::Detect;
        } else {
            ViewCommand& c = t.item(parent, array, i, u(items[i]), 68 + i);
            if (i == 0)
                c.run = &D::AddMarkerCommand;
            if (i == 1) {
                c.window = WindowCommand::DeleteMarkers;
                c.enabled = markerLines; // the list holds a marker line
            }
            if (i == 12)
                c.window = WindowCommand::BackCalculate;
            if (i >= 4 && i <= 11) {
                c.checkable = true;
                c.run = &D::ProcessingCommand;
                c.checked =
                    i == 11 ? ViewCommand::MarkFn([](const D& d, int) { return d.marks().Peak; })
                            : MARK(Processing);
            }
            if (i == 10)
                c.visible = only940; // automatic sensitivity
            if (i == 11)
                c.enabled = [](const D& d) { return d.marks().PeakEnabled; };
            if (i == 3)
                c.visible = never; // the popup's copy starts nothing
        }
    }
}

void windowMenus(TableBuilder& t) {
    static const char* settings[] = {"初期設定", "ウインドウ設定", "コメント", "言語"};
    for (int i = 0; i < 4; ++i) {
        ViewCommand& c =
            t.item(QStringLiteral("Menu1_10"), QStringLiteral("Menu7"), i, u(settings[i]), 60 + i);
        if (i == 0)
            c.host = &ViewHost::ShowInitialSettings;
        if (i == 1)
            c.window = WindowCommand::WindowOptions;
        if (i == 2)
            c.window = WindowCommand::Comment;
        if (i == 2) // comments exist in text data, RDD and four-channel ZVX files
            c.visible = [](const D& d) {
                const int k = d.record().FileKind;
                return k == KindText730 || k == KindRdd || k == KindZvx4;
            };
        if (i == 3)
            c.visible = never; // the language is chosen in the initial settings
    }
    static const char* window[] = {"重ねて表示", "並べて表示", "同期"};
    for (int i = 0; i < 3; ++i)
        t.item(QStringLiteral("Menu1_11"), QStringLiteral("Menu8"), i, u(window[i]), 64 + i);
    t.rows[t.rows.size() - 3].host = &ViewHost::Cascade;
    t.rows[t.rows.size() - 2].host = &ViewHost::TileHorizontally;
    t.rows.back().window = WindowCommand::Synchronise;
    t.rows.back().checkable = true;
    t.item(QStringLiteral("Menu1_12"), QStringLiteral("Menu9"), 0, u("バージョン情報"), 67).host =
        &ViewHost::ShowAbout;
    ViewCommand& home =
        t.item(QStringLiteral("Menu1_12"), QStringLiteral("Menu9"), 1, QString(), -1);
    home.message = 37;
    home.host = &ViewHost::OpenHomepage;
}

std::vector<ViewCommand> buildTable() {
    TableBuilder t;
    static const char* top[] = {
        "ファイル",   "感度",       "階調方式", "深度校正",         "表示レンジ",
        "かぶり倍率", "表示単位",   "方向",     "マーカリスト編集", "Bモード編集",
        "設定",       "ウィンドウ", "ヘルプ"};
    for (int i = 0; i < 13; ++i) {
        t.menu(ViewCommand::TopMenu, i, QStringLiteral("Menu1_%1").arg(i), top[i], i,
               i == 1 ? [](const D& d) { return d.marks().SensitivityEnabled; }
                      : ViewCommand::StateFn(nullptr));
        if (i == 0)
            editMenu(t); // the edit menu follows the file menu
    }
    fileMenu(t);
    displayMenus(t);
    bmodeMenu(t, QStringLiteral("Menu1_9"), QStringLiteral("Menu14"), QStringLiteral("Menu18_0"));
    windowMenus(t);
    t.menu(ViewCommand::Popup, 13, QStringLiteral("Menu10"), "", -1);
    bmodeMenu(t, QStringLiteral("Menu10"), QStringLiteral("Menu10"), QStringLiteral("Menu17_0"));
    t.menu(ViewCommand::Popup, 14, QStringLiteral("Menu11"), "マーカリスト編集", 8);
    markerListMenu(t, QStringLiteral("Menu11"), QStringLiteral("Menu11"));
    return std::move(t.rows);
}

} // namespace

bool ViewCommand::built() const {
    if (kind != Submenu)
        return kind != Item || run || host || window != WindowCommand::None;
    for (const ViewCommand& c : ViewCommandTable())
        if (c.parent == menuName && c.built())
            return true;
    return false;
}

const std::vector<ViewCommand>& ViewCommandTable() {
    static const std::vector<ViewCommand> table = buildTable();
    return table;
}

const ViewCommand* FindViewCommand(const QString& array, int index) {
    for (const ViewCommand& c : ViewCommandTable())
        if (c.array == array && c.index == index)
            return &c;
    return nullptr;
}

bool CommandVisible(const ViewCommand& c, const MeasurementDocument& doc) {
    return !c.visible || c.visible(doc);
}

bool CommandEnabled(const ViewCommand& c, const MeasurementDocument& doc) {
    return c.built() && (!c.enabled || c.enabled(doc));
}

std::optional<bool> CommandChecked(const ViewCommand& c, const MeasurementDocument& doc) {
    if (!c.checkable || !c.checked)
        return std::nullopt;
    return c.checked(doc, c.index);
}

CommandResult RunViewCommand(MeasurementDocument& doc, const ViewCommand& c) {
    if (!c.run)
        return CommandResult{false, {}, {}};
    return (doc.*c.run)(c.index);
}

} // namespace rebar
