#pragma once
// The information panel on the left of a measurement view: the marker list `mklist`, the cursor
// readouts (lblCursor, lblCursorX, lblCursorY, lblYuudenritu), the positioning data
// (lbl_GPSDate, lbl_Location), tyre and measurement speed (lblTire, lblSpeed) and the marker
// statistics (lblMaker) with the cover compliance lines below them (lblCompliance). The panel sits
// at the view's top-left corner, so its controls keep the positions the view's layout rules give
// them.

#include "config/LanguageTables.h"
#include "view/ViewLayout.h"

#include <QWidget>
#include <array>

class QLabel;
class QListWidget;

namespace rebar {

struct MarkerListContent;
struct MeasurementRecord;
struct Readouts;

class InfoPanelWidget : public QWidget {
    Q_OBJECT
public:
    explicit InfoPanelWidget(QWidget* view);

    // Captions of the labels from the caption table.
    void applyCaptions(const LanguageTables& language);
    // Shows the parts the window options switch on; gps: the file carries a position.
    void applyVisibility(const WindowOptions& o, bool gps);
    // Places every control for the geometry (the view's load), or only moves the columns to x1
    // (after the window options changed).
    void placeControls(const ViewGeometry& g, const LanguageTables& language);
    void moveColumns(const ViewGeometry& g);
    // Tyre and speed options of a 940-family record, named from their caption groups (an option
    // with no caption, such as tyre 2, shows empty); other records leave the labels as they are.
    void showTyreAndSpeed(const MeasurementRecord& r, const LanguageTables& language);

    void showMarkerList(const MarkerListContent& c);
    // The readout texts; showGps: the GPS labels are shown (a position and the option on).
    void showReadouts(const Readouts& r, bool showGps);
    // The lowest edge of the statistics labels, in view coordinates.
    int statisticsBottom() const;
    // Tooltips that say what each cursor readout shows.
    void setReadoutToolTips(bool japanese);
    // The selected line of the marker list (0 the header, -1 none).
    int selectedLine() const;

signals:
    // A mouse button released over the marker list, on line `line` (-1 below the lines).
    void markerListReleased(Qt::MouseButton button, int line, QPoint globalPos);
    // A click on the map link lbl_Location.
    void locationClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    static constexpr int ListFontPixels = 12;
    QLabel* label(const QString& name);
    void fitListFont();
    void placeCompliance(const ViewGeometry& g);

    QListWidget* m_mklist = nullptr;
    QLabel* m_lblCursor = nullptr;
    std::array<QLabel*, 2> m_lblCursorX{};
    std::array<QLabel*, 2> m_lblCursorY{};
    std::array<QLabel*, 2> m_lblYuudenritu{};
    QLabel* m_lblGPSDate = nullptr;
    QLabel* m_lblLocation = nullptr;
    std::array<QLabel*, 2> m_lblTire{};
    std::array<QLabel*, 2> m_lblSpeed{};
    std::array<QLabel*, 14> m_lblMaker{};
    QLabel* m_lblCompliance = nullptr; // the cover compliance statistics, several lines
};

} // namespace rebar
