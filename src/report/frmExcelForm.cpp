#include "report/frmExcelForm.h"

#include "config/Program.h"
#include "platform/Platform.h"
#include "report/ReportWriters.h"
#include "report/frmReportOptions.h"
#include "view/MeasurementDocument.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

namespace rebar {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int CellPx = ReportCellTwips / TwipsPerPixel;

int px(int twips) {
    return twips / TwipsPerPixel;
}

bool japanese() {
    return program().settings.Language.compare(QLatin1String("JP"), Qt::CaseInsensitive) == 0;
}

// A popup item's text in the program's language.
QString text(const char* jp, const char* en) {
    return QString::fromUtf8(japanese() ? jp : en);
}

// The designer's font for every box.
QFont boxFont() {
    QFont f;
    f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("Liberation Sans")});
    f.setPixelSize(10);
    return f;
}

// The cell grid of the two pages and the divider between them.
class ReportCanvas : public QWidget {
public:
    ReportCanvas(const ReportDesigner& d, QWidget* parent) : QWidget(parent), m_d(d) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QColor(236, 236, 236));
        for (int x = 0; x < width(); x += CellPx)
            p.drawLine(x, 0, x, height());
        for (int y = 0; y < height(); y += CellPx)
            p.drawLine(0, y, width(), y);
        const SheetGeometry& g = m_d.model().geometry();
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(px(g.PLine), 0, px(g.PLine), px(g.PLineBottom));
    }

private:
    const ReportDesigner& m_d;
};

// A marker table as the designer shows it: bands of four rows, a group heading (940), the
// caption column and a column of three cells per marker.
QPixmap gridPicture(const ReportMarkerGrid& grid, int perLine, int rows, int widthPx) {
    QPixmap pm(widthPx, std::max(1, rows) * CellPx);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setFont(boxFont());
    p.setPen(Qt::black);
    auto box = [&p](int col, int row, int cols, int rowsSpan, const QString& text) {
        const QRect r(col * CellPx, row * CellPx, cols * CellPx, rowsSpan * CellPx);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.drawText(r, Qt::AlignCenter, text);
    };
    for (int first = 0, band = 0; first < grid.count(); first += perLine, ++band) {
        int col = 0;
        const int row = band * MarkerBandRows;
        if (grid.groupHeading) {
            box(col, row, 2, MarkerBandRows, grid.heading);
            col += 2;
        }
        for (int r = 0; r < MarkerBandRows; ++r)
            box(col, row + r, 4, 1, grid.captions[static_cast<size_t>(r)]);
        col += 4;
        for (int k = first; k < std::min(grid.count(), first + perLine); ++k, col += 3)
            for (int r = 0; r < MarkerBandRows; ++r)
                box(col, row + r, 3, 1,
                    grid.markers[static_cast<size_t>(k)][static_cast<size_t>(r)]);
    }
    return pm;
}

// A picture fitted into a frame of w x h twips (less the box's margins), never enlarged.
void showPicture(QLabel* box, const QImage& image, int frameW, int frameH) {
    if (image.isNull()) {
        box->setPixmap(QPixmap());
        box->resize(px(frameW), px(frameH));
        return;
    }
    const double wT = image.width() * double(TwipsPerPixel);
    const double hT = image.height() * double(TwipsPerPixel);
    const double k = FitScale(wT, hT, frameW - 65, frameH - 60);
    const int w = std::max(1, px(static_cast<int>(wT / k)));
    const int h = std::max(1, px(static_cast<int>(hT / k)));
    box->setPixmap(
        QPixmap::fromImage(image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    box->resize(w + px(65), h + px(60));
}

} // namespace

frmExcelForm::frmExcelForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmExcelForm"));
    setWindowTitle(caption(19));
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    setFont(boxFont());

    auto* bar = ReportSetupMenuBar(this);
    QAction* undo = m_designer.undoStack().createUndoAction(this, QString());
    QAction* redo = m_designer.undoStack().createRedoAction(this, QString());
    undo->setObjectName(QStringLiteral("Undo"));
    redo->setObjectName(QStringLiteral("Redo"));
    undo->setShortcut(QKeySequence::Undo);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    addAction(undo);
    addAction(redo);

    m_canvas = new ReportCanvas(m_designer, this);
    m_canvas->setObjectName(QStringLiteral("ReportPages"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_canvas);
    scroll->setWidgetResizable(false);
    for (int s = 0; s < 2; ++s) {
        m_pageLabel[s] = new QLabel(m_canvas);
        m_pageLabel[s]->setObjectName(QStringLiteral("PageLabel_%1").arg(s));
    }
    m_divider = nullptr;

    auto* buttons = new QHBoxLayout;
    const int captions[] = {142, 143, 240, 241};
    for (int i = 0; i < 4; ++i) {
        m_command[i] = new QPushButton(caption(captions[i]), this);
        m_command[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        if (i == 2)
            buttons->addStretch(1);
        buttons->addWidget(m_command[i]);
    }
    buttons->insertWidget(2, new QLabel(QStringLiteral("  "), this));
    connect(m_command[0], &QPushButton::clicked, this, [this] {
        if (SaveReportCommand())
            close();
    });
    connect(m_command[1], &QPushButton::clicked, this, &QWidget::close);
    connect(m_command[2], &QPushButton::clicked, this, [this] {
        m_designer.model().PreviousPage();
        ShowPages();
    });
    connect(m_command[3], &QPushButton::clicked, this, [this] {
        m_designer.model().NextPage();
        ShowPages();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);

    m_movePicture = new QLabel(m_canvas);
    m_movePicture->setObjectName(QStringLiteral("Move_Picture"));
    m_movePicture->setFrameShape(QFrame::Box);
    m_movePicture->setScaledContents(true);
    m_movePicture->hide();

    m_designer.Load(program().reportLayout, japanese());
    // The setup dialogs' flags are the ones of the options the designer just loaded.
    program().reportChanges = {};
    const SheetGeometry& g = m_designer.model().geometry();
    m_canvas->resize(px(g.WindowWidth), px(g.WindowHeight));
    m_pageLabel[0]->move(px(ReportCellTwips), 0);
    m_pageLabel[1]->move(px(g.PageLabel1Left), 0);
    buildBoxes();
    connect(&m_designer, &ReportDesigner::changed, this, &frmExcelForm::ShowPages);
    ShowPages();
    resize(std::min(px(g.WindowWidth) + 40, 1600), std::min(px(g.WindowHeight) + 110, 1000));
}

QLineEdit* frmExcelForm::textBox(const QString& name, QString* text) {
    auto* e = new QLineEdit(m_canvas);
    e->setObjectName(name);
    e->setFrame(true);
    e->setFixedHeight(CellPx);
    e->setTextMargins(0, -2, 0, -2);
    e->installEventFilter(this);
    connect(e, &QLineEdit::textEdited, this, [text](const QString& t) { *text = t; });
    return e;
}

void frmExcelForm::buildBoxes() {
    ReportTexts& t = m_designer.model().texts();
    for (size_t i = 0; i < m_header.size(); ++i)
        m_header[i] = textBox(QStringLiteral("H_Text_%1").arg(i), &t.header[i]);
    for (size_t i = 0; i < m_photos.size(); ++i) {
        PhotoBoxes& b = m_photos[i];
        b.title = textBox(QStringLiteral("PText1_%1").arg(i), &t.photoTitle[i]);
        b.remarks = textBox(QStringLiteral("PText3_%1").arg(i), &t.photoRemarks[i]);
        b.picture = new QLabel(m_canvas);
        b.picture->setObjectName(QStringLiteral("Picture1_%1").arg(i));
        b.picture->setFrameShape(QFrame::Box);
        b.picture->setAlignment(Qt::AlignCenter);
        b.picture->installEventFilter(this);
    }
    for (size_t i = 0; i < m_data.size(); ++i) {
        DataBoxes& b = m_data[i];
        b.number = textBox(QStringLiteral("DText1_%1").arg(i), &t.dataNumber[i]);
        b.title = textBox(QStringLiteral("DText2_%1").arg(i), &t.dataTitle[i]);
        b.remarks = textBox(QStringLiteral("DText7_%1").arg(i), &t.dataRemarks[i]);
        b.picture = new QLabel(m_canvas);
        b.picture->setObjectName(QStringLiteral("Picture2_%1").arg(i));
        b.picture->setFrameShape(QFrame::Box);
        b.picture->setAlignment(Qt::AlignCenter);
        b.picture->installEventFilter(this);
        for (size_t g = 0; g < 3; ++g) {
            b.grids[g] = new QLabel(m_canvas);
            b.grids[g]->setObjectName(QStringLiteral("MK%1_%2").arg(g).arg(i));
            b.grids[g]->installEventFilter(this);
        }
    }
}

void frmExcelForm::showTexts() {
    const ReportTexts& t = m_designer.model().texts();
    // A text longer than its box shows from its start, so the item's label ("測定設定：")
    // stays in view rather than only the tail of the settings.
    auto set = [](QLineEdit* e, const QString& s) {
        if (e->text() != s) {
            e->setText(s);
            e->setCursorPosition(0);
        }
    };
    for (size_t i = 0; i < m_header.size(); ++i)
        set(m_header[i], t.header[i]);
    for (size_t i = 0; i < m_photos.size(); ++i) {
        set(m_photos[i].title, t.photoTitle[i]);
        set(m_photos[i].remarks, t.photoRemarks[i]);
    }
    for (size_t i = 0; i < m_data.size(); ++i) {
        set(m_data[i].number, t.dataNumber[i]);
        set(m_data[i].title, t.dataTitle[i]);
        set(m_data[i].remarks, t.dataRemarks[i]);
    }
}

void frmExcelForm::ShowPages() {
    if (m_showing)
        return;
    m_showing = true;
    const ReportModel& m = m_designer.model();
    m_pageLabel[0]->setText(m.PageLabel(0));
    m_pageLabel[1]->setText(m.PageLabel(1));
    m_pageLabel[0]->adjustSize();
    m_pageLabel[1]->adjustSize();
    m_command[2]->setEnabled(m.PreviousEnabled());
    m_command[3]->setEnabled(m.NextEnabled());
    showTexts();

    auto place = [](QWidget* w, std::optional<QPoint> origin, int cols, int rowOffset,
                    int colOffset, bool shown) {
        if (!origin || !shown) {
            w->hide();
            return;
        }
        w->move(px(origin->x()) + colOffset * CellPx, px(origin->y()) + rowOffset * CellPx);
        if (cols > 0)
            w->setFixedWidth(cols * CellPx);
        w->show();
    };
    for (int i = 0; i < ReportHeaderItemCount; ++i)
        place(m_header[static_cast<size_t>(i)], m.HeaderOrigin(i),
              m.slotState().header[static_cast<size_t>(i)].ColSpan, 0, 0, true);

    for (int i = 0; i < ReportPhotoSlots; ++i) {
        const PhotoSlot& p = m.photo(i);
        PhotoBoxes& b = m_photos[static_cast<size_t>(i)];
        const auto origin = p.InUse ? m.BlockOrigin(p.Col, p.Row) : std::nullopt;
        place(b.title, origin, p.Width, p.TitleRow, 0, p.HasTitle);
        place(b.remarks, origin, p.Width, p.RemarksRow, 0, p.HasRemarks);
        showPicture(b.picture, p.PictureLoaded ? p.Picture : QImage(), p.Width * ReportCellTwips,
                    p.PictureHeight * ReportCellTwips);
        place(b.picture, origin, 0, p.PictureRow, 0, true);
    }
    const SheetGeometry& g = m.geometry();
    for (int i = 0; i < ReportDataSlots; ++i) {
        const DataSlot& d = m.data(i);
        DataBoxes& b = m_data[static_cast<size_t>(i)];
        const auto origin = d.InUse ? m.BlockOrigin(d.Col, d.Row) : std::nullopt;
        place(b.number, origin, 6, d.NumberRow, 0, d.HasNumber);
        place(b.title, origin, 24, d.TitleRow, d.TitleCol, d.HasTitle);
        place(b.remarks, origin, 30, d.RemarksRow, 0, d.HasRemarks);
        showPicture(b.picture, d.PictureLoaded ? d.Picture : QImage(),
                    g.DataWidth * ReportCellTwips, d.Size * ReportCellTwips);
        place(b.picture, origin, 0, d.PictureRow, 0, true);
        for (size_t k = 0; k < 3; ++k) {
            const MarkerGridPlace& gp = d.Grids[k];
            const bool shown = d.HasMarkers && gp.Placed && d.GridContent[k].count() > 0;
            if (shown)
                b.grids[k]->setPixmap(gridPicture(d.GridContent[k], g.MarkersPerLine, gp.Height,
                                                  g.DataWidth * CellPx + 2));
            b.grids[k]->adjustSize();
            place(b.grids[k], origin, 0, gp.Row, 0, shown);
        }
    }
    m_movePicture->raise();
    m_showing = false;
}

// ---- Activation ---------------------------------------------------------------------------

void frmExcelForm::Activated() {
    m_designer.Activate(program().reportLayout, program().reportChanges);
}

void frmExcelForm::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Activated();
    QWidget::changeEvent(e);
}

bool frmExcelForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Activated();
    return QWidget::event(e);
}

// ---- Mouse --------------------------------------------------------------------------------

bool frmExcelForm::eventFilter(QObject* o, QEvent* e) {
    auto* w = qobject_cast<QWidget*>(o);
    if (m_moving >= 0 && w) {
        if (e->type() == QEvent::MouseMove) {
            const QPoint at =
                w->mapTo(m_canvas, static_cast<QMouseEvent*>(e)->position().toPoint());
            m_movePicture->move(at + QPoint(1, 1));
            return true;
        }
        if (e->type() == QEvent::MouseButtonPress) {
            endMove(w->mapTo(m_canvas, static_cast<QMouseEvent*>(e)->position().toPoint()));
            return true;
        }
    }
    if (e->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(e);
        for (int i = 0; i < ReportPhotoSlots; ++i)
            if (o == m_photos[static_cast<size_t>(i)].picture) {
                photoClicked(i, me->button(), me->globalPosition().toPoint());
                return true;
            }
        for (int i = 0; i < ReportDataSlots; ++i)
            if (o == m_data[static_cast<size_t>(i)].picture) {
                dataClicked(i, me->button(), me->globalPosition().toPoint());
                return true;
            }
    }
    return QWidget::eventFilter(o, e);
}

void frmExcelForm::photoClicked(int i, Qt::MouseButton b, QPoint global) {
    if (b == Qt::LeftButton) {
        choosePhoto(i);
        return;
    }
    if (b != Qt::RightButton)
        return;
    const ReportModel& m = m_designer.model();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("MenuP"));
    QAction* add = menu.addAction(text("追加", "Add"));
    add->setEnabled(m.CanAddPhoto());
    QAction* del = menu.addAction(text("削除", "Delete"));
    del->setEnabled(m.CanDeletePhoto());
    QAction* move = menu.addAction(text("移動", "Move"));
    QMenu* dir = menu.addMenu(text("向き変更", "Orientation"));
    QAction* portrait = dir->addAction(text("縦", "Portrait"));
    QAction* landscape = dir->addAction(text("横", "Landscape"));
    QAction* chosen = menu.exec(global);
    if (chosen == add)
        m_designer.AddPhoto(i);
    else if (chosen == del)
        m_designer.DeletePhoto(i);
    else if (chosen == move)
        startMove(true, i);
    else if (chosen == portrait || chosen == landscape)
        m_designer.SetPhotoLandscape(i, chosen == landscape);
}

void frmExcelForm::dataClicked(int i, Qt::MouseButton b, QPoint global) {
    if (b == Qt::LeftButton) {
        if (m_dataOpenBusy)
            return;
        const auto answer = platform().chooseOpenFiles(
            QString(),
            {{QStringLiteral("QTX"), QStringLiteral("*.??0;*.??1;*.??2;*.??3;*.??4;*.??5;*.??6;"
                                                    "*.??7;*.??8;*.??9;*.RDD;*.VXD;*.ZVX")},
             {message(33), QStringLiteral("*.*")}},
            false);
        if (answer && !answer->isEmpty() && !answer->first().trimmed().isEmpty())
            openDataFile(i, answer->first());
        return;
    }
    if (b != Qt::RightButton)
        return;
    const ReportModel& m = m_designer.model();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("MenuD"));
    QAction* add = menu.addAction(text("追加", "Add"));
    add->setEnabled(m.CanAddData());
    QAction* del = menu.addAction(text("削除", "Delete"));
    del->setEnabled(m.CanDeleteData());
    QAction* move = menu.addAction(text("移動", "Move"));
    QMenu* size = menu.addMenu(text("幅変更", "Size"));
    QAction* sizes[3] = {size->addAction(text("小", "Small")),
                         size->addAction(text("標準", "Standard")),
                         size->addAction(text("大", "Large"))};
    QAction* chosen = menu.exec(global);
    if (chosen == add)
        m_designer.AddData(i);
    else if (chosen == del)
        m_designer.DeleteData(i);
    else if (chosen == move)
        startMove(false, i);
    for (int k = 0; k < 3; ++k)
        if (chosen && chosen == sizes[k])
            m_designer.SetDataSize(i, DataSizeRows(k));
}

void frmExcelForm::choosePhoto(int i) {
    if (m_photoDialogBusy)
        return;
    m_photoDialogBusy = true;
    const auto answer = platform().chooseOpenFiles(
        QString(), {{message(33) + QStringLiteral("(*.jpg;*.bmp)"), QStringLiteral("*.jpg;*.bmp")}},
        false);
    if (answer && !answer->isEmpty() && !answer->first().trimmed().isEmpty())
        LoadPhotoFile(i, answer->first());
    m_photoDialogBusy = false;
}

bool frmExcelForm::LoadPhotoFile(int i, const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // A picture larger than 100 megapixels is refused rather than allocated.
    reader.setAllocationLimit(400);
    const QImage image = reader.read();
    if (image.isNull()) {
        platform().messageBox(reader.errorString(), path, MsgIcon::Warning);
        return false;
    }
    return m_designer.LoadPhoto(i, image);
}

void frmExcelForm::openDataFile(int i, const QString& path) {
    m_dataOpenBusy = true;
    LoadFeedback feedback;
    feedback.pumpEvents = [] { platform().processEvents(); };
    ReportDelivery delivery;
    OpenResult opened;
    QString error;
    if (OpenReportDelivery(path, ContextOf(program()), feedback, delivery, opened, &error)) {
        m_designer.model().Deliver(i, delivery);
        Activated();
    } else if (!opened) {
        m_designer.model().SetSlotState(i, SlotIdle);
        if (!opened.read.cancelled)
            platform().messageBox(opened.stage + message(21), path, MsgIcon::Warning);
    } else {
        m_designer.model().SetSlotState(i, SlotIdle);
        platform().messageBox(error, path, MsgIcon::Warning);
    }
    m_dataOpenBusy = false;
}

// ---- Moving -------------------------------------------------------------------------------

void frmExcelForm::startMove(bool photo, int i) {
    QLabel* box =
        photo ? m_photos[static_cast<size_t>(i)].picture : m_data[static_cast<size_t>(i)].picture;
    m_moving = i;
    m_movingPhoto = photo;
    m_movePicture->resize(box->size());
    const QPixmap pm = box->pixmap();
    m_movePicture->setPixmap(pm);
    m_movePicture->move(box->pos());
    m_movePicture->show();
    m_movePicture->raise();
    m_canvas->setMouseTracking(true);
    m_canvas->installEventFilter(this);
    for (QWidget* w : m_canvas->findChildren<QWidget*>())
        w->setMouseTracking(true);
}

void frmExcelForm::endMove(QPoint canvasPos) {
    const int slot = m_moving;
    const bool photo = m_movingPhoto;
    m_moving = -1;
    m_movePicture->hide();
    m_movePicture->setPixmap(QPixmap());
    m_canvas->removeEventFilter(this);
    const DropCell cell =
        m_designer.model().DropCellAt(canvasPos.x() * TwipsPerPixel, canvasPos.y() * TwipsPerPixel);
    if (photo)
        m_designer.MovePhoto(slot, cell);
    else
        m_designer.MoveData(slot, cell);
}

// ---- Drops --------------------------------------------------------------------------------

void frmExcelForm::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void frmExcelForm::dropEvent(QDropEvent* e) {
    QStringList paths;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile())
            paths << u.toLocalFile();
    e->acceptProposedAction();
    DropFiles(paths);
}

void frmExcelForm::DropFiles(const QStringList& paths) {
    if (m_photoDialogBusy || m_dataOpenBusy)
        return;
    auto taken = m_designer.model().DataDropSnapshot();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const QString& path : paths) {
        const QString ext = QFileInfo(path).suffix().toUpper();
        if (ext == QLatin1String("BMP") || ext == QLatin1String("JPG") ||
            ext == QLatin1String("JPEG")) {
            QImageReader reader(path);
            reader.setAutoTransform(true);
            reader.setAllocationLimit(400);
            const QImage image = reader.read();
            if (image.isNull()) {
                platform().messageBox(reader.errorString(), path, MsgIcon::Warning);
                continue;
            }
            m_designer.DropPhoto(image);
            continue;
        }
        const int slot = m_designer.DataSlotForDrop(taken);
        if (slot < 0)
            continue;
        openDataFile(slot, path);
        if (!m_designer.model().data(slot).PictureLoaded)
            break; // the remaining files are not processed
    }
    QApplication::restoreOverrideCursor();
}

// ---- Saving -------------------------------------------------------------------------------

bool frmExcelForm::SaveReportCommand() {
    const auto chosen =
        platform().chooseSaveFile(QString(),
                                  {{QStringLiteral("Excel"), QStringLiteral("*.xlsx")},
                                   {QStringLiteral("PDF"), QStringLiteral("*.pdf")}},
                                  QString(), QStringLiteral("xlsx"));
    if (!chosen || chosen->trimmed().isEmpty()) {
        platform().messageBox(message(2), QString(), MsgIcon::Warning);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ReportWriteResult r = SaveReport(BuildReportSheet(m_designer.model()), chosen->trimmed());
    QApplication::restoreOverrideCursor();
    if (!r.ok) {
        platform().messageBox(r.reason, *chosen, MsgIcon::Warning);
        return false;
    }
    return true;
}

} // namespace rebar
