#pragma once
// The initial-settings dialog: the only editor of Default.ini. Per scanner family it chooses
// which display values newly opened files take (or that they keep the file's own), and it sets
// the output options of exported images and the language. OK writes the file and the
// in-memory settings; Cancel keeps only the tab last shown.

#include <QDialog>
#include <array>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace rebar {

class frmDefaultSet : public QDialog {
    Q_OBJECT
public:
    explicit frmDefaultSet(QWidget* parent = nullptr);

    // OK (Command1(0)): false when a permittivity text is refused (the dialog stays open).
    bool Ok();
    // Cancel (Command1(1)).
    void Cancel();

private:
    // One display default of a family: "use this value" (option 0) or "keep the file's" (1).
    struct Choice {
        QButtonGroup* options = nullptr;
        QWidget* value = nullptr;  // the control option 0 enables
        QWidget* value2 = nullptr; // the depth unit list of the unit frame
    };
    struct FamilyTab {
        int family = 730;
        std::array<Choice, 7> frames; // 0 permittivity .. 6 units
        QLineEdit* permittivity = nullptr;
        QComboBox* gradation = nullptr;
        QComboBox* direction = nullptr;
        QComboBox* sensitivity = nullptr;
        QComboBox* range = nullptr;
        QComboBox* processing = nullptr;
        QComboBox* distanceUnit = nullptr;
        QComboBox* depthUnit = nullptr;
        QComboBox* magnification = nullptr;
    };

    QWidget* buildSystemTab();
    QWidget* buildFamilyTab(FamilyTab& tab);
    void loadSystemTab();
    void loadFamilyTab(FamilyTab& tab);
    bool validPermittivity(const QLineEdit* box);
    void write(const char* section, const char* key, const QString& value);
    void reportWriteFailure();
    void writeTab();
    void writeFamily(const FamilyTab& tab, int what);
    static void enableChoice(const Choice& c);

    QTabWidget* m_tabs;
    QComboBox* m_language = nullptr;
    std::array<QButtonGroup*, 7> m_printOptions{}; // Option0..Option6
    FamilyTab m_730;
    FamilyTab m_940;
    bool m_echo = false;  // stops the magnification lists from echoing each other
    QString m_writeError; // the first failed write of Default.ini, told when the dialog closes
};

} // namespace rebar
