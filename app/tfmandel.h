#pragma once
// The program's one window: its controls, the state that all handlers share,
// and one handler per user event. Every member is defined in app/: the run
// and the thumbnail press in run.cpp and recentrehandler.cpp, the palette
// choice and cycling in colourhandlers.cpp, the overview in
// overviewhandlers.cpp, the window manager's requests in windowstate.cpp.

#include <QImage>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>

#include "render/complexpoint.h"
#include "platform/picture.h"
#include "render/iterationstore.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class PaintSurface;
class FactorGrid;
class RadioGroup;
class RowPool;

namespace zoom {
class RowEngine;
}

class Tfmandel : public QWidget
{
    Q_OBJECT
public:
    explicit Tfmandel(QWidget *parent = nullptr);
    ~Tfmandel() override;

    // ---- state shared by the handlers ----
    ComplexPoint target;
    double aspect = 0.0;
    bool idle = true;
    bool dragging = false;
    std::int32_t dragIndex = 0;
    IterationStore iterations;
    std::array<std::unique_ptr<Picture>, 7> images; // 1 ... 6
    std::int32_t cyclePhase = 0;
    // How long a run computes between its progress checks (the display of
    // the rows so far and an event pump). Tests set zero: a check after
    // every row.
    std::chrono::steady_clock::duration progressInterval = std::chrono::milliseconds(500);

    // ---- controls, in the order of their tree ----
    QWidget *Panel2 = nullptr;
    QWidget *Panel1 = nullptr;
    QWidget *MaPanel = nullptr;
    PaintSurface *mandel1 = nullptr;
    PaintSurface *mandel2 = nullptr;
    PaintSurface *mandel3 = nullptr;
    PaintSurface *mandel4 = nullptr;
    PaintSurface *mandel5 = nullptr;
    PaintSurface *mandel6 = nullptr;
    QWidget *Panel3 = nullptr;
    QLabel *Label1 = nullptr;
    PaintSurface *Paintbox = nullptr;
    QLabel *mandelimage = nullptr;
    QPushButton *Zeichnen = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Edit2 = nullptr;
    FactorGrid *tabelle = nullptr;
    QLabel *Label5 = nullptr;
    RadioGroup *RadioGroup1 = nullptr;
    QPushButton *Button1 = nullptr;
    QTimer *Timer1 = nullptr;

    // mandel1 ... mandel6, and thumbnail n (1 ... 6).
    std::array<PaintSurface *, 6> thumbnails() const;
    PaintSurface *thumbnail(int n) const;
    // The size of every thumbnail: all six are laid out alike.
    QSize thumbnailSize() const;

    // ---- handlers ----
    void FormActivate();
    void MaPanelResize();
    void FormDestroy();

    void ZeichnenClick(QObject *sender);
    void RenderImage(int image, double factor);
    void superMousedown(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int X,
                        int Y);

    void RadioGroup1Click(QObject *sender);
    void Button1Click(QObject *sender);
    void Timer1Timer(QObject *sender);

    void PaintboxPaint();
    void PaintboxMouseDown(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                           int X, int Y);
    void PaintboxMouseMove(QObject *sender, Qt::KeyboardModifiers shift, int X, int Y);
    void PaintboxMouseUp(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                         int X, int Y);

    // The stored overview picture, as held by mandelimage.
    const QImage &overviewPicture() const { return overviewPicture_; }

    // True from the start of a run until its end (also while an aborted run
    // finishes its remaining steps).
    bool runInProgress() const { return runDepth_ > 0; }
    // How many runs are in progress, one inside the other's event pump.
    int runDepth() const { return runDepth_; }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The client area's size as designed, and the width of the panel of
    // controls beside the thumbnails.
    static constexpr QSize kClientSize{1124, 754};
    static constexpr int kPanel3Width = 361;

    void buildControls();
    void buildPanels();
    void buildOverview();
    void buildTargetControls();
    void buildColourControls();
    void orderFocus();
    void connectHandlers();
    static QRect centredPlace();
    void followWindowState();
    void finishRun();
    void activateOnce();
    void describeControls();
    void describePictures();
    // Spoken news of a run: its start, and its end after `finished` images.
    void announceRunStart();
    void announceRunEnd(int finished);

    QImage overviewPicture_;
    std::unique_ptr<RowPool> pool_; // the worker threads of the runs and the cycling tick
    std::unique_ptr<zoom::RowEngine> engine_;
    int runDepth_ = 0; // runs in progress: the one guard against re-entry
    int runsStarted_ = 0;
    bool activated_ = false;
    bool closePending_ = false;
    QSize laidOut_;     // the size of MaPanel that the thumbnails are laid out for
    bool layoutDue_ = false; // MaPanel changed size during a run
    QRect normalPlace_; // the client area while not maximised
    bool destroyed_ = false;
};
