// The menu bar and popup menu of a measurement view, and their captions.

#include "config/Program.h"
#include "view/FrmMain.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace rebar {

QAction* FrmMain::addItem(QMenu* menu, const QString& array, int index, const QString& text) {
    QAction* a = menu->addAction(text);
    const QString name = array + QLatin1Char('_') + QString::number(index);
    a->setObjectName(name);
    m_items.insert(name, a);
    return a;
}

QMenu* FrmMain::addSubmenu(QMenu* menu, const QString& array, int index, const QString& submenuName,
                           const QString& text) {
    QMenu* sub = menu->addMenu(text);
    sub->setObjectName(submenuName);
    QAction* a = sub->menuAction();
    const QString name = array + QLatin1Char('_') + QString::number(index);
    a->setObjectName(name);
    m_items.insert(name, a);
    m_submenus.insert(submenuName, sub);
    return sub;
}

QAction* FrmMain::menuItem(const QString& array, int index) const {
    return m_items.value(array + QLatin1Char('_') + QString::number(index), nullptr);
}

void FrmMain::buildMenus() {
    // Design captions; the language tables replace them when the view is loaded.
    static const char* top[] = {
        "ファイル",   "感度",       "階調方式", "深度校正",         "表示レンジ",
        "かぶり倍率", "表示単位",   "方向",     "マーカリスト編集", "Bモード編集",
        "設定",       "ウィンドウ", "ヘルプ"};
    for (int i = 0; i < 13; ++i) {
        auto* m = new QMenu(QString::fromUtf8(top[i]), this);
        m->setObjectName(QStringLiteral("Menu1_%1").arg(i));
        m->menuAction()->setObjectName(m->objectName());
        m_items.insert(m->objectName(), m->menuAction());
        m_topMenus.push_back(m);
    }
    auto u = [](const char* s) { return QString::fromUtf8(s); };

    // File
    QMenu* file = m_topMenus[0];
    static const char* fileItems[] = {"開く",     "上書き保存", "名前を付けて保存", "JPEG保存",
                                      "コピー",   "印刷",       "報告書作成",       "閉じる",
                                      "一括変換", "終了"};
    for (int i = 1; i <= 10; ++i) {
        if (i == 6) {
            QMenu* print = addSubmenu(file, QStringLiteral("menu2"), 6, QStringLiteral("Menu21_0"),
                                      u(fileItems[5]));
            addItem(print, QStringLiteral("Menu21_0"), 0, u("スクリーン印刷"));
            addItem(print, QStringLiteral("Menu21_0"), 1, u("測定データ印刷"));
        } else {
            addItem(file, QStringLiteral("menu2"), i, u(fileItems[i - 1]));
        }
    }
    // Sensitivity
    static const char* steps[] = {"-2", "-1", "auto", "+1", "+2", "+3", "+4"};
    for (int i = 0; i < 14; ++i)
        addItem(m_topMenus[1], QStringLiteral("Menu3"), i,
                u(steps[i % 7]) + (i < 7 ? u("浅") : u("深")))
            ->setCheckable(true);
    // Gradation
    static const char* grad[] = {"カラー1-絶対値",   "カラー1-ｵﾌｾｯﾄ",   "カラー2-絶対値",
                                 "カラー2-ｵﾌｾｯﾄ",    "カラー3-絶対値",  "カラー3-ｵﾌｾｯﾄ",
                                 "モノクロ1-絶対値", "モノクロ1-ｵﾌｾｯﾄ", "モノクロ2-絶対値",
                                 "モノクロ2-ｵﾌｾｯﾄ",  "モノクロ3-ｵﾌｾｯﾄ", "モノクロ4-ｵﾌｾｯﾄ"};
    for (int i = 0; i < 12; ++i)
        addItem(m_topMenus[2], QStringLiteral("Menu4"), i, u(grad[i]))->setCheckable(true);
    // Depth calibration
    static const char* depth[] = {"+3  [ 10.7 ]", "+2  [  9.8 ]", "+1  [  8.9 ]",
                                  "+0  [  8.0 ]", "-1  [  7.4 ]", "-2  [  6.8 ]",
                                  "-3  [  6.2 ]", "ns  [ 時間 ]", "比誘電率設定"};
    for (int i = 0; i < 9; ++i)
        addItem(m_topMenus[3], QStringLiteral("Menu5"), i, u(depth[i]))->setCheckable(true);
    // Display range
    static const char* ranges[] = {"浅", "標準", "深", "浅W", "標準W", "深W"};
    for (int i = 0; i < 6; ++i)
        addItem(m_topMenus[4], QStringLiteral("Menu12"), i, u(ranges[i]))->setCheckable(true);
    // Cover magnification
    addItem(m_topMenus[5], QStringLiteral("Menu15"), 0, u("等倍"))->setCheckable(true);
    addItem(m_topMenus[5], QStringLiteral("Menu15"), 1, u("1/2倍"))->setCheckable(true);
    // Units
    static const char* units[] = {"mm", "cm", "m", "inch"};
    for (int k = 0; k < 2; ++k) {
        const QString subName = QStringLiteral("Menu16_%1").arg(k);
        QMenu* sub = addSubmenu(m_topMenus[6], QStringLiteral("Menu16"), k, subName,
                                k == 0 ? u("距離") : u("深さ"));
        for (int i = 0; i < 4; ++i)
            addItem(sub, subName, i, u(units[i]))->setCheckable(true);
    }
    // Direction
    addItem(m_topMenus[7], QStringLiteral("Menu6"), 0, u("正方向"))->setCheckable(true);
    addItem(m_topMenus[7], QStringLiteral("Menu6"), 1, u("逆方向"))->setCheckable(true);
    // Marker list edit
    static const char* listEdit[] = {"削除", "整列", "昇順", "降順"};
    for (int i = 0; i < 4; ++i)
        addItem(m_topMenus[8], QStringLiteral("Menu13"), i, u(listEdit[i]));
    // B-mode edit, in the menu bar (Menu14) and as the radargram's popup (Menu10)
    static const char* bmode[] = {
        "マーカ追加",  "マーカ削除",     "マーカＧｒ変更",     "マーカ自動検出",
        "原画再生",    "固定表面波処理", "ユーザー表面波処理", "マニュアル表面波処理",
        "減算処理",    "平均波処理",     "自動感度調整",       "ピーク処理",
        "比誘電率逆算"};
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("Menu10"));
    for (int k = 0; k < 2; ++k) {
        QMenu* menu = k == 0 ? m_topMenus[9] : m_popup;
        const QString array = k == 0 ? QStringLiteral("Menu14") : QStringLiteral("Menu10");
        for (int i = 0; i < 13; ++i) {
            if (i == 2) {
                const QString groups =
                    k == 0 ? QStringLiteral("Menu18_0") : QStringLiteral("Menu17_0");
                QMenu* sub = addSubmenu(menu, array, 2, groups, u(bmode[2]));
                for (int g = 0; g < 3; ++g)
                    addItem(sub, groups, g, QStringLiteral("Gr %1").arg(g))->setCheckable(true);
            } else if (i == 3 && k == 0) {
                QMenu* sub = addSubmenu(menu, array, 3, QStringLiteral("Menu19_0"), u(bmode[3]));
                addItem(sub, QStringLiteral("Menu19_0"), 0, u("初めから"));
                addItem(sub, QStringLiteral("Menu19_0"), 1, u("終わりから"));
            } else {
                QAction* a = addItem(menu, array, i, u(bmode[i]));
                a->setCheckable(i >= 4 && i <= 11);
            }
        }
    }
    // Settings
    static const char* settings[] = {"初期設定", "ウインドウ設定", "コメント", "言語"};
    for (int i = 0; i < 4; ++i)
        addItem(m_topMenus[10], QStringLiteral("Menu7"), i, u(settings[i]));
    // Window
    static const char* window[] = {"重ねて表示", "並べて表示", "同期"};
    for (int i = 0; i < 3; ++i)
        addItem(m_topMenus[11], QStringLiteral("Menu8"), i, u(window[i]));
    menuItem(QStringLiteral("Menu8"), 2)->setCheckable(true);
    // Help
    addItem(m_topMenus[12], QStringLiteral("Menu9"), 0, u("バージョン情報"));
    addItem(m_topMenus[12], QStringLiteral("Menu9"), 1, QString());
}

bool FrmMain::ApplyViewCaptions() {
    const auto& C = program().language.Captions;
    auto set = [this](const QString& array, int index, const QString& text) {
        if (QAction* a = menuItem(array, index))
            a->setText(text);
    };
    for (int i = 0; i <= 12; ++i)
        m_topMenus[static_cast<size_t>(i)]->setTitle(C[static_cast<size_t>(i)]);
    for (int i = 1; i <= 10; ++i)
        set(QStringLiteral("menu2"), i, C[static_cast<size_t>(12 + i)]);
    for (int j = 0; j <= 13; ++j)
        set(QStringLiteral("Menu3"), j, C[static_cast<size_t>(23 + j)]);
    for (int j = 0; j <= 11; ++j)
        set(QStringLiteral("Menu4"), j, C[static_cast<size_t>(37 + j)]);
    for (int j = 0; j <= 8; ++j)
        set(QStringLiteral("Menu5"), j, C[static_cast<size_t>(49 + j)]);
    set(QStringLiteral("Menu6"), 0, C[58]);
    set(QStringLiteral("Menu6"), 1, C[59]);
    for (int j = 0; j <= 5; ++j)
        set(QStringLiteral("Menu12"), j, C[static_cast<size_t>(81 + j)]);
    set(QStringLiteral("Menu15"), 0, C[87]);
    set(QStringLiteral("Menu15"), 1, C[88]);
    set(QStringLiteral("Menu16"), 0, C[111]);
    set(QStringLiteral("Menu16"), 1, C[112]);
    for (int j = 0; j <= 3; ++j)
        set(QStringLiteral("Menu13"), j, C[static_cast<size_t>(101 + j)]);
    for (int j = 0; j <= 12; ++j) {
        set(QStringLiteral("Menu10"), j, C[static_cast<size_t>(68 + j)]);
        set(QStringLiteral("Menu14"), j, C[static_cast<size_t>(68 + j)]);
    }
    for (int j = 0; j <= 3; ++j)
        set(QStringLiteral("Menu7"), j, C[static_cast<size_t>(60 + j)]);
    menuItem(QStringLiteral("Menu7"), 0)->setVisible(true);
    menuItem(QStringLiteral("Menu7"), 3)->setVisible(false);
    for (int j = 0; j <= 2; ++j)
        set(QStringLiteral("Menu8"), j, C[static_cast<size_t>(64 + j)]);
    set(QStringLiteral("Menu9"), 0, C[67]);
    set(QStringLiteral("Menu9"), 1, message(37));
    set(QStringLiteral("Menu19_0"), 0, C[90]);
    set(QStringLiteral("Menu19_0"), 1, C[91]);
    set(QStringLiteral("Menu21_0"), 0, C[93]);
    set(QStringLiteral("Menu21_0"), 1, C[94]);
    const int makerItems[] = {0, 1, 2, 3, 12, 13};
    const int makerCaptions[] = {109, 106, 107, 108, 98, 105};
    for (int k = 0; k < 6; ++k)
        m_lblMaker[static_cast<size_t>(makerItems[k])]->setText(
            C[static_cast<size_t>(makerCaptions[k])]);
    m_lblCursor->setText(C[110]);
    m_lblCursorX[0]->setText(C[111]);
    m_lblCursorY[0]->setText(C[112]);
    m_lblYuudenritu[0]->setText(C[113]);
    m_lblTire[0]->setText(C[269]);
    m_lblTire[1]->setText(QStringLiteral("-"));
    m_lblSpeed[0]->setText(C[273]);
    m_lblSpeed[1]->setText(QStringLiteral("-"));
    return true;
}

} // namespace rebar
