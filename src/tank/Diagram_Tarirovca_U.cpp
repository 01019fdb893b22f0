// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/Diagram_Tarirovca_U.h"

#include "common/lang_ids.h"
#include "common/widgets.h"
#include "shell/lang_table.h"
#include "shell/settings_store.h"
#include "tank/Enter_Fuil_U.h"
#include "tank/PropertyPoint_U.h"
#include "tank/point_editing.h"
#include "tank/protocol_selection.h"

#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QCloseEvent>
#include <QHideEvent>
#include <QFrame>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScatterSeries>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

constexpr int kMinWidth = 812;
const QColor kAreaColour(233, 191, 105);
const QColor kActive(200, 30, 30);
const QColor kBeyondVolume(245, 245, 156);
// A point the calibration table's check has a finding about: its marker, and
// its row's background.
const QColor kFindingColour(255, 140, 0);
const QColor kFindingRow(255, 222, 173);

// The glyph of a transport button, drawn once: play triangle, pause bars,
// stop square, record dot and the navigation arrows; the active variant (the
// name ending in R) is drawn red on a light frame.
QPixmap drawButton(const QString &name)
{
    const bool active = name.endsWith(QLatin1Char('R')) && name != QLatin1String("SBREC");
    const QString base = active ? name.chopped(1) : name;
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (active) {
        p.setPen(QPen(kActive, 1));
        p.setBrush(QColor(255, 235, 235));
        p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
    }
    const QColor ink = active ? kActive : QColor(40, 40, 40);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](qreal x, bool right) {
        QPainterPath path;
        if (right) {
            path.moveTo(x, 5);
            path.lineTo(x + 10, 12);
            path.lineTo(x, 19);
        } else {
            path.moveTo(x + 10, 5);
            path.lineTo(x, 12);
            path.lineTo(x + 10, 19);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    if (base == QLatin1String("SBPLAY")) {
        triangle(8, true);
    } else if (base == QLatin1String("SBPAUSE")) {
        p.drawRect(QRectF(7, 5, 4, 14));
        p.drawRect(QRectF(13, 5, 4, 14));
    } else if (base == QLatin1String("SBSTOP")) {
        p.drawRect(QRectF(6, 6, 12, 12));
    } else if (base == QLatin1String("SBREC")) {
        p.setBrush(QColor(210, 0, 0));
        p.drawEllipse(QRectF(5, 5, 14, 14));
    } else if (base == QLatin1String("SBUP")) {
        triangle(7, true);
    } else if (base == QLatin1String("SBDOWN")) {
        triangle(7, false);
    } else if (base == QLatin1String("SBSPEEDUP")) {
        triangle(2, true);
        triangle(12, true);
    } else if (base == QLatin1String("SBSPEEDDOWN")) {
        triangle(2, false);
        triangle(12, false);
    }
    return pm;
}

void setImage(QToolButton *b, const QString &name)
{
    if (b->property("imageName").toString() == name)
        return;
    b->setProperty("imageName", name);
    b->setIcon(QIcon(tankButtonImage(name)));
}

QToolButton *toolButton(QWidget *parent, const char *name, bool checkable)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    return b;
}

QLineEdit *maskedEdit(QWidget *parent, const char *name, const QString &mask, const QString &text)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setInputMask(mask);
    e->setText(text);
    e->setMaximumWidth(80);
    return e;
}

// The list is as wide as both of its columns in full: the time column holds
// its title or a six-digit time, the N column its title or a 16-bit code, and
// room is left for the vertical scroll bar, so no horizontal one is needed.
void fitPointList(QTableWidget *list)
{
    QHeaderView *header = list->horizontalHeader();
    const QFontMetrics cell(list->font());
    const int padding = 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    const int time = std::max(header->sectionSizeHint(0),
                              cell.horizontalAdvance(QStringLiteral("000000")) + padding);
    const int n = std::max(header->sectionSizeHint(1),
                           cell.horizontalAdvance(QStringLiteral("00000")) + padding);
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    header->resizeSection(0, time);
    // A stretched last section never gets narrower than it once was; a
    // stretching one takes exactly the room that is left.
    header->setStretchLastSection(false);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    list->setFixedWidth(time + n + scrollBar + 2 * list->frameWidth());
}

} // namespace

QPixmap tankButtonImage(const QString &name)
{
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(name);
    if (it == cache.end())
        it = cache.insert(name, drawButton(name));
    return *it;
}

TForm5::TForm5(Dialogs *dialogs, SettingsStore *settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_rec(dialogs, 0), m_dialogs(dialogs), m_settings(settings)
{
    setObjectName(QStringLiteral("TForm5"));
    build();
    m_form8 = new TForm8(this);
    m_form8->onClosed = [this] {
        setEnabled(true);
        if (m_host.setMainEnabled)
            m_host.setMainEnabled(true);
    };
    m_form15 = new TForm15(this);
    m_form15->onOk = [this](const QString &text) { correctLitres(text); };
    m_form15->onClosed = [this] { setEnabled(true); };
    resize(kMinWidth, 420);
    if (m_settings)
        move(m_settings->get(SettingsKeys::Form5_Left), m_settings->get(SettingsKeys::Form5_Top));
    setLang(0);
    refresh();
}

TForm5::~TForm5() = default;

void TForm5::build()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);

    auto *tools = new QHBoxLayout;
    sbSpeedDown = toolButton(this, "sbSpeedDown", false);
    sbDown = toolButton(this, "sbDown", false);
    sbUp = toolButton(this, "sbUp", false);
    sbSpeedUp = toolButton(this, "sbSpeedUp", false);
    setImage(sbSpeedDown, QStringLiteral("SBSPEEDDOWN"));
    setImage(sbDown, QStringLiteral("SBDOWN"));
    setImage(sbUp, QStringLiteral("SBUP"));
    setImage(sbSpeedUp, QStringLiteral("SBSPEEDUP"));
    for (QToolButton *b : {sbSpeedDown, sbDown, sbUp, sbSpeedUp})
        tools->addWidget(b);
    tools->addStretch();
    root->addLayout(tools);

    // Chart: the level curve, the user-point markers and the cursor line.
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_upper = new QLineSeries(this); // the area series does not own its upper line
    Series1 = new QAreaSeries(m_upper);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series1->setColor(kAreaColour);
    Series1->setBorderColor(kAreaColour.darker(130));
    Series2 = new QScatterSeries;
    Series2->setObjectName(QStringLiteral("Series2"));
    Series2->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    Series2->setMarkerSize(8);
    Series2->setColor(Qt::red);
    Series2->setBorderColor(Qt::red);
    Series3 = new QLineSeries;
    Series3->setObjectName(QStringLiteral("Series3"));
    Series3->setColor(Qt::red);
    m_chart->addSeries(Series1);
    m_chart->addSeries(Series3);
    m_chart->addSeries(Series2);
    m_axisX = new QValueAxis;
    m_axisY = new QValueAxis;
    m_axisX->setLabelFormat(QStringLiteral("%d"));
    m_axisY->setLabelFormat(QStringLiteral("%d"));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    for (QAbstractSeries *s :
         {static_cast<QAbstractSeries *>(Series1), static_cast<QAbstractSeries *>(Series2),
          static_cast<QAbstractSeries *>(Series3)}) {
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
    }
    Chart = new QChartView(m_chart, this);
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->setRenderHint(QPainter::Antialiasing);
    // The keyboard reaches the points through the list; the chart takes no focus.
    Chart->setFocusPolicy(Qt::NoFocus);
    // The point labels come and go with the time axis' range: without a
    // spatial index adding and removing a few hundred costs no rebalancing.
    Chart->scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { placeLabels(); });
    connect(Series2, &QScatterSeries::clicked, this, [this](const QPointF &p) { Series2Click(p); });
    connect(Series1, &QAreaSeries::clicked, this, [this](const QPointF &p) { Series1Click(p); });

    ValueListEditor = new QTableWidget(0, 2, this);
    ValueListEditor->setObjectName(QStringLiteral("ValueListEditor"));
    ValueListEditor->verticalHeader()->hide();
    ValueListEditor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ValueListEditor->setSelectionBehavior(QAbstractItemView::SelectRows);
    ValueListEditor->setSelectionMode(QAbstractItemView::SingleSelection);
    ValueListEditor->horizontalHeader()->setStretchLastSection(true);
    connect(ValueListEditor, &QTableWidget::currentCellChanged, this,
            [this](int row) { ValueListEditorSelectCell(row); });
    ValueListEditor->setContextMenuPolicy(Qt::DefaultContextMenu);

    auto *middle = new QHBoxLayout;
    middle->addWidget(Chart, 1);
    middle->addWidget(ValueListEditor);
    root->addLayout(middle, 1);

    // The calibration table's check: one line under the chart while a finding
    // stands. It never widens the window; the whole text is in its tool tip.
    lbTableCheck = new QLabel(this);
    lbTableCheck->setObjectName(QStringLiteral("lbTableCheck"));
    lbTableCheck->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QPalette warn = lbTableCheck->palette();
    warn.setColor(QPalette::WindowText, kFindingColour.darker(140));
    lbTableCheck->setPalette(warn);
    lbTableCheck->hide();
    root->addWidget(lbTableCheck);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->hide();
    root->addWidget(ProgressBar1);

    // The recording panel.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto *g = new QGridLayout(Panel1);
    Label3 = new QLabel(Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    meStartLiter =
        maskedEdit(Panel1, "meStartLiter", QStringLiteral("9999,99;0"), QStringLiteral("0000,00"));
    UpDown3 = new UpDown(Panel1);
    UpDown3->setObjectName(QStringLiteral("UpDown3"));
    UpDown3->setRange(0, 9999);
    sbProc = toolButton(Panel1, "sbProc", true);
    sbProc->setText(QStringLiteral("+"));
    sbProc->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    meIncrem = maskedEdit(Panel1, "meIncrem", QStringLiteral("999,99;0"), QStringLiteral("000,00"));
    UpDown1 = new UpDown(Panel1);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, 999);
    sbPlay = toolButton(Panel1, "sbPlay", true);
    sbPause = toolButton(Panel1, "sbPause", true);
    sbRec = toolButton(Panel1, "sbRec", false);
    sbStop = toolButton(Panel1, "sbStop", true);
    setImage(sbRec, QStringLiteral("SBREC"));
    sbPlay->setToolTip(QStringLiteral("Start (Ctrl+S)"));
    sbPause->setToolTip(QStringLiteral("Pause (Ctrl+P)"));
    sbRec->setToolTip(QStringLiteral("Rec (Ctrl+R)"));
    sbStop->setToolTip(QStringLiteral("Stop"));
    Label2 = new QLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    meliter = maskedEdit(Panel1, "meliter", QStringLiteral("9999,99;0"), QStringLiteral("0000,00"));
    meliter->setReadOnly(true);
    UpDown2 = new UpDown(Panel1);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    UpDown2->setRange(0, 9999);
    UpDown2->hide();
    Label4 = new QLabel(Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    lbNN = new QLabel(QStringLiteral("0"), Panel1);
    lbNN->setObjectName(QStringLiteral("lbNN"));
    QFont big = lbNN->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 8);
    lbNN->setFont(big);
    lbNN->setMinimumWidth(90);
    lbLinkLost = new QLabel(Panel1);
    lbLinkLost->setObjectName(QStringLiteral("lbLinkLost"));
    QFont warnFont = lbLinkLost->font();
    warnFont.setBold(true);
    lbLinkLost->setFont(warnFont);
    QPalette lost = lbLinkLost->palette();
    lost.setColor(QPalette::WindowText, kActive);
    lbLinkLost->setPalette(lost);
    lbLinkLost->hide();

    g->addWidget(Label3, 0, 0, 1, 3);
    g->addWidget(meStartLiter, 1, 0);
    g->addWidget(UpDown3, 1, 1);
    g->addWidget(sbProc, 1, 2);
    g->addWidget(Label1, 0, 3, 1, 2);
    g->addWidget(meIncrem, 1, 3);
    g->addWidget(UpDown1, 1, 4);
    g->addWidget(sbPlay, 1, 5);
    g->addWidget(sbPause, 1, 6);
    g->addWidget(sbRec, 1, 7);
    g->addWidget(Label2, 0, 8);
    g->addWidget(meliter, 1, 8);
    g->addWidget(Label4, 0, 9);
    auto *level = new QHBoxLayout;
    level->addWidget(lbNN);
    level->addWidget(lbLinkLost);
    g->addLayout(level, 1, 9);
    g->addWidget(sbStop, 1, 10);
    g->setColumnStretch(11, 1);
    root->addWidget(Panel1);
    // Tab goes as the eye reads: the navigation, the list, then the panel left
    // to right (the next value before Stop, as they stand).
    const QList<QWidget *> order{sbSpeedDown, sbDown, sbUp,    sbSpeedUp, ValueListEditor,
                                 meStartLiter, sbProc, meIncrem, sbPlay,   sbPause,
                                 sbRec,        meliter, sbStop};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));

    // Popup menu of the chart and the list; the shortcut items are the
    // window's own actions, out of the menu but live.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](const char *name, QMenu *menu) {
        auto *a = new QAction(this);
        a->setObjectName(QLatin1String(name));
        if (menu)
            menu->addAction(a);
        return a;
    };
    N5 = item("N5", PopupMenu1);
    N7 = item("N7", PopupMenu1);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N6"));
    N4 = item("N4", PopupMenu1);
    N4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    N4->setEnabled(false);
    N1 = item("N1", PopupMenu1);
    N1->setShortcut(QKeySequence(Qt::Key_Insert));
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    N3 = item("N3", PopupMenu1);
    Play1 = item("Play1", nullptr);
    Play1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Pause1 = item("Pause1", nullptr);
    Pause1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Rec1 = item("Rec1", nullptr);
    Rec1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    for (QAction *a : {N1, N3, N4, N5, N7, Play1, Pause1, Rec1}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    for (QWidget *w : {static_cast<QWidget *>(Chart), static_cast<QWidget *>(ValueListEditor)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint &pos) { PopupMenu1->popup(w->mapToGlobal(pos)); });
    }

    auto click = [this](QAbstractButton *b, void (TForm5::*h)()) {
        connect(b, &QAbstractButton::clicked, this, [this, h] { (this->*h)(); });
    };
    click(sbPlay, &TForm5::sbPlayClick);
    click(sbPause, &TForm5::sbPauseClick);
    click(sbRec, &TForm5::sbRecClick);
    click(sbStop, &TForm5::sbStopClick);
    click(sbUp, &TForm5::sbUpClick);
    click(sbDown, &TForm5::sbDownClick);
    click(sbSpeedUp, &TForm5::sbSpeedUpClick);
    click(sbSpeedDown, &TForm5::sbSpeedDownClick);
    click(sbProc, &TForm5::sbProcClick);
    connect(meStartLiter, &QLineEdit::textEdited, this, [this] { meStartLiterChange(); });
    connect(meIncrem, &QLineEdit::textEdited, this, [this] { meIncremChange(); });
    connect(UpDown3, &UpDown::clicked, this, [this] { UpDown3Click(); });
    connect(UpDown1, &UpDown::clicked, this, [this] { UpDown1Click(); });
    auto action = [this](QAction *a, void (TForm5::*h)()) {
        connect(a, &QAction::triggered, this, [this, h] { (this->*h)(); });
    };
    action(N1, &TForm5::N1Click);
    action(N3, &TForm5::N3Click);
    action(N4, &TForm5::N4Click);
    action(N5, &TForm5::N5Click);
    action(N7, &TForm5::N7Click);
    action(Play1, &TForm5::Play1Click);
    action(Pause1, &TForm5::Pause1Click);
    action(Rec1, &TForm5::Rec1Click);
}

QString TForm5::t(int id) const
{
    return LangText(id, m_lang);
}

void TForm5::setLang(int lang)
{
    m_lang = lang;
    m_rec.setLang(lang);
    // The captions, labels, axis titles and menu items come with the language
    // pass (the program passes this window, TForm8 and TForm15 to it); here
    // only what the pass does not hold.
    ValueListEditor->setHorizontalHeaderLabels({t(Txt::TimeS), QStringLiteral("     N")});
    fitPointList(ValueListEditor);
    m_form8->setWindowTitle(t(Txt::PointProperties));
    // Marker labels carry the unit of the language.
    m_markersStale = true;
    if (isVisible())
        refresh();
}

Recording::Sample TForm5::sample() const
{
    if (m_host.sample)
        return m_host.sample(m_rec.LevelCode());
    return {m_rec.LevelCode(), 0, QString(), QString()};
}

// ---- showing the window

void TForm5::showForCalibration(const QString &protocolPath)
{
    m_viewOnly = false;
    m_calibration = true;
    m_rec.setProtocol(protocolPath);
    followAutosave();
    if (m_host.resolutionTop)
        m_rec.setResolutionTop(m_host.resolutionTop());
    Panel1->show();
    for (QAction *a : {Play1, Pause1, Rec1})
        a->setEnabled(true);
    refresh();
    show();
    raise();
    activateWindow();
}

void TForm5::showViewOnly(const QString &protocolPath)
{
    m_viewOnly = true;
    m_rec.setProtocol(protocolPath);
    if (m_host.resolutionTop)
        m_rec.setResolutionTop(m_host.resolutionTop());
    Panel1->hide();
    for (QAction *a : {Play1, Pause1, Rec1})
        a->setEnabled(false);
    // What the last opening or pause reload loaded; the counter stays where it is.
    refresh();
    if (m_host.setMainEnabled)
        m_host.setMainEnabled(false);
    show();
    raise();
}

bool TForm5::viewOnly() const
{
    return m_viewOnly;
}

void TForm5::loadProtocol(const QString &path, const PointsRead &points)
{
    closePointWindows();
    m_rec.setProtocol(path);
    m_rec.loadOpened(points, countersAfterOpening(points));
    refresh();
}

void TForm5::startNewProtocol(const QString &path)
{
    closePointWindows();
    m_rec.setProtocol(path);
    m_rec.startNew();
    refresh();
}

// ---- readings and the transport buttons

void TForm5::followAutosave()
{
    if (m_host.autosave) {
        const auto [on, constant] = m_host.autosave();
        m_rec.setAutosave(on, constant);
    }
}

void TForm5::LevelReading(qint32 n)
{
    const int before = m_rec.curve().size();
    const int rows = m_rec.rows().size();
    const bool lost = m_rec.isLinkLost();
    followAutosave();
    m_rec.levelReading(m_host.sample ? m_host.sample(n) : Recording::Sample{n, 0, {}, {}});
    // A plain reading outside a recording changes nothing on screen.
    if (isVisible() && (m_rec.curve().size() != before || m_rec.rows().size() != rows ||
                        lost != m_rec.isLinkLost()))
        refresh();
}

void TForm5::LinkLost()
{
    m_rec.linkLost();
    if (isVisible())
        refresh();
}

void TForm5::PortClosed()
{
    m_rec.portClosed();
    refresh();
}

void TForm5::sbPlayClick()
{
    if (m_host.pollEverySecond)
        m_host.pollEverySecond();
    followAutosave();
    if (m_host.resolutionTop)
        m_rec.setResolutionTop(m_host.resolutionTop());
    m_rec.setIncremText(meIncrem->displayText());
    m_rec.playClicked(sbPlay->isChecked());
    if (m_rec.mode() == Recording::Mode::Idle && sbPlay->isChecked())
        meIncrem->setFocus(); // the step was 0
    refresh();
}

void TForm5::sbPauseClick()
{
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    m_rec.pauseClicked(sbPause->isChecked());
    ProgressBar1->hide();
    refresh();
}

void TForm5::sbRecClick()
{
    m_rec.rec(sample());
    refresh();
}

void TForm5::sbStopClick()
{
    if (sbStop->isChecked()) {
        // While the question is open only Stop shows down.
        const QSignalBlocker b1(sbPlay), b2(sbPause);
        sbPlay->setChecked(false);
        sbPause->setChecked(false);
        setImage(sbPlay, QStringLiteral("SBPLAY"));
        setImage(sbPause, QStringLiteral("SBPAUSE"));
        setImage(sbStop, QStringLiteral("SBSTOPR"));
        sbRec->setEnabled(false);
    }
    const bool ended = m_rec.stopClicked(sbStop->isChecked(), sample());
    refresh();
    if (ended)
        close();
}

void TForm5::Play1Click()
{
    if (!sbPlay->isEnabled())
        return;
    sbPlay->toggle();
    sbPlayClick();
}

void TForm5::Pause1Click()
{
    if (!sbPause->isEnabled())
        return;
    sbPause->toggle();
    sbPauseClick();
}

void TForm5::Rec1Click()
{
    if (sbRec->isEnabled())
        sbRecClick();
}

// ---- fields

void TForm5::sbProcClick()
{
    m_rec.setDraining(sbProc->isChecked());
    refresh();
}

void TForm5::meStartLiterChange()
{
    m_rec.setStartLiterText(meStartLiter->displayText());
    refresh();
}

void TForm5::UpDown3Click()
{
    m_rec.startLiterUpDown(UpDown3->position());
    refresh();
}

void TForm5::meIncremChange()
{
    m_rec.setIncremText(meIncrem->displayText());
    refresh();
}

void TForm5::UpDown1Click()
{
    m_rec.incremUpDown(UpDown1->position());
    refresh();
}

// ---- navigation, selection, views

void TForm5::navigate(int step)
{
    m_rec.navigate(step);
    refresh();
}

void TForm5::ValueListEditorSelectCell(int row)
{
    if (row < 0 || row >= m_rec.rows().size())
        return;
    m_rec.select(m_rec.rows()[row].index);
    refresh();
}

void TForm5::Series2Click(const QPointF &point)
{
    if (m_rec.playDown())
        return;
    // The marker's own point, by its index: markers and rows share the stored index.
    for (const Recording::Marker &m : m_rec.markers())
        if (m.x == point.x() && double(m.n) == point.y()) {
            m_rec.select(m.index);
            refresh();
            return;
        }
}

void TForm5::Series1Click(const QPointF &point)
{
    if (m_rec.playDown())
        return;
    if (const std::optional<int> index = m_rec.pointNearestTime(point.x())) {
        m_rec.select(*index);
        refresh();
    }
}

void TForm5::N1Click()
{
    m_rec.showPoint();
    refresh();
}

void TForm5::N4Click()
{
    m_rec.showWhole();
    refresh();
}

// ---- point editing

void TForm5::pauseReload()
{
    sbPause->setChecked(true);
    sbPauseClick();
}

void TForm5::reopen()
{
    if (m_host.reopen)
        m_host.reopen();
    m_rec.reopened();
    refresh();
}

void TForm5::N3Click()
{
    const int s = m_rec.selectedPoint();
    PointKeys keys;
    if (s >= 0)
        (void)ProtocolFile(m_rec.protocol(), m_lang).readPoint(s, QString(), keys);
    const PointEditing::PropertyTexts p = PointEditing::propertyTexts(s, keys, m_lang);
    m_form8->lbPropertyNummberPoint->setText(p.number);
    m_form8->lbPropertyN->setText(p.level);
    m_form8->lbVolumeCistern->setText(p.volume);
    m_form8->lbPropertyTime->setText(p.time);
    m_form8->lbPropertySystemTime->setText(p.systemTime);
    m_form8->lbPropertyWhoSave->setText(p.whoSave);
    setEnabled(false);
    if (m_host.setMainEnabled)
        m_host.setMainEnabled(false);
    m_form8->setEnabled(true);
    m_form8->show();
    m_form8->activateWindow();
}

void TForm5::N5Click()
{
    m_editedPoint = m_rec.selectedPoint();
    m_editedProtocol = m_rec.protocol();
    PointKeys keys;
    if (m_editedPoint >= 0)
        (void)ProtocolFile(m_rec.protocol(), m_lang).readPoint(m_editedPoint, QString(), keys);
    m_editedPointLitres = NumberFormat(QLatin1Char(',')).parse(keys.liter).value_or(0);
    m_form15->lblavelfuil->setText(PointEditing::currentFuelText(m_editedPointLitres, m_lang));
    setEnabled(false);
    m_form15->setEnabled(true);
    m_form15->show();
    m_form15->activateWindow();
}

void TForm5::correctLitres(const QString &text)
{
    // A correction opened on another protocol never writes into this one.
    if (m_editedProtocol != m_rec.protocol() || !m_form15->isVisible())
        return;
    const double v = NumberFormat(QLatin1Char(',')).parse(text.trimmed()).value_or(0);
    const double d = v - m_editedPointLitres;
    const MsgAnswer a = m_dialogs->message(PointEditing::correctionQuestion(d, m_lang),
                                           MsgIcon::Information, MsgButtons::YesNoCancel);
    const int s = m_editedPoint;
    ProtocolFile file(m_rec.protocol(), m_lang);
    ProtocolStatus st;
    if (a == MsgAnswer::Yes) {
        st = file.addLitres(s, d);
    } else if (a == MsgAnswer::No) {
        // The one point, if its litres convert (a point stored as -1 is left out).
        PointKeys keys;
        st = file.readPoint(s, QString(), keys);
        const std::optional<double> old = NumberFormat(QLatin1Char(',')).parse(keys.liter);
        if (st.ok() && old && *old != -1)
            st = file.setLitres(s, *old + d);
    }
    // A point that is not stored (a stale selection) changes nothing; say so.
    if (!st.ok() && a != MsgAnswer::Cancel)
        m_dialogs->message(st.text, MsgIcon::Warning);
    if (a != MsgAnswer::Cancel)
        pauseReload();
    reopen();
}

void TForm5::N7Click()
{
    const int row = ValueListEditor->currentRow();
    if (row <= 0 || m_rec.rows().isEmpty()) {
        m_dialogs->show(PointEditing::nothingToDelete());
        return;
    }
    const int s = m_rec.selectedPoint();
    PointKeys keys;
    (void)ProtocolFile(m_rec.protocol(), m_lang).readPoint(s, QStringLiteral("undefined"), keys);
    const MsgAnswer a = m_dialogs->message(PointEditing::deletionQuestion(keys, m_lang),
                                           MsgIcon::Information, MsgButtons::OkCancel);
    if (a == MsgAnswer::Ok) {
        const ProtocolStatus st = ProtocolFile(m_rec.protocol(), m_lang).deletePoint(s);
        if (!st.ok())
            m_dialogs->message(st.text, MsgIcon::Warning);
        pauseReload();
    }
    reopen();
}

// ---- closing

void TForm5::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TForm5::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        closePointWindows();
}

void TForm5::closePointWindows()
{
    if (m_form8->isVisible())
        m_form8->close();
    if (m_form15->isVisible())
        m_form15->reject();
}

void TForm5::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (width() < kMinWidth)
        resize(kMinWidth, height());
    placeLabels();
}

void TForm5::FormClose()
{
    if (m_viewOnly) {
        if (m_host.setMainEnabled)
            m_host.setMainEnabled(true);
        for (QAction *a : {Play1, Pause1, Rec1})
            a->setEnabled(true);
        Panel1->show();
        m_viewOnly = false;
        return;
    }
    if (!m_calibration)
        return;
    m_calibration = false;
    if (m_settings) {
        (void)m_settings->set(SettingsKeys::Form5_Top, y());
        (void)m_settings->set(SettingsKeys::Form5_Left, x());
    }
    Panel1->show();
    m_rec.closeReset();
    refresh();
    if (m_host.calibrationClosed)
        m_host.calibrationClosed();
    const QString path = m_rec.protocol();
    const QChar r('\r');
    const MsgAnswer a = m_dialogs->message(t(Txt::Attention) + r + t(Txt::ExportQuestion1) + r +
                                               path + r + t(Txt::ExportQuestion2),
                                           MsgIcon::Information, MsgButtons::YesNo);
    if (a == MsgAnswer::Yes && m_host.exportSpreadsheet)
        m_host.exportSpreadsheet();
    if (m_host.protocolClosed)
        m_host.protocolClosed();
}

// ---- showing the machine's state

void TForm5::refresh()
{
    const Recording &r = m_rec;
    const QSignalBlocker b1(sbPlay), b2(sbPause), b3(sbStop), b4(sbProc);
    sbPlay->setChecked(r.playDown());
    sbPause->setChecked(r.pauseDown());
    sbStop->setChecked(r.stopDown());
    setImage(sbPlay, r.playDown() ? QStringLiteral("SBPLAYR") : QStringLiteral("SBPLAY"));
    setImage(sbPause, r.pauseDown() ? QStringLiteral("SBPAUSER") : QStringLiteral("SBPAUSE"));
    setImage(sbStop, r.stopDown() ? QStringLiteral("SBSTOPR") : QStringLiteral("SBSTOP"));
    sbRec->setEnabled(r.recEnabled());
    for (QToolButton *nb : {sbUp, sbDown, sbSpeedUp, sbSpeedDown})
        nb->setEnabled(r.navigationEnabled());
    meStartLiter->setEnabled(r.startValueEnabled());
    UpDown3->setEnabled(r.startValueEnabled());
    sbProc->setChecked(r.draining());
    sbProc->setText(r.draining() ? QStringLiteral("-") : QStringLiteral("+"));
    if (meStartLiter->displayText() != r.startLiterText())
        meStartLiter->setText(r.startLiterText());
    UpDown3->setPosition(r.startLiterPosition());
    if (meIncrem->displayText() != r.incremText())
        meIncrem->setText(r.incremText());
    UpDown1->setPosition(r.incremPosition());
    meliter->setText(r.literText());
    UpDown2->setPosition(r.literPosition());
    // Pale yellow once the next value passes the tank's volume.
    const int volume = m_host.tankVolume ? m_host.tankVolume() : 0;
    const bool beyond = volume > 0 && r.literPosition() > volume;
    if (meliter->property("beyondVolume").toBool() != beyond) {
        meliter->setProperty("beyondVolume", beyond);
        QPalette pal = palette();
        if (beyond)
            pal.setColor(QPalette::Base, kBeyondVolume);
        meliter->setPalette(pal);
    }
    lbNN->setText(r.levelText());
    lbLinkLost->setVisible(r.isLinkLost());
    lbLinkLost->setText(RecordingText::linkLostLabel(m_lang));
    N4->setEnabled(r.view() == Recording::View::Point);
    N1->setEnabled(r.view() == Recording::View::Whole);
    refreshChart();
    showTableCheck();
}

void TForm5::showTableCheck()
{
    const Recording &r = m_rec;
    std::vector<UserPoint> points;
    points.reserve(size_t(r.markers().size()));
    for (const Recording::Marker &m : r.markers())
        points.push_back({m.index, m.n, m.litres});
    // While a calibration runs the way is the installer's "+" or "-"; a
    // protocol only looked at tells it by its litres.
    const bool draining =
        m_viewOnly ? points.size() >= 2 && points.back().litres < points.front().litres
                   : r.draining();
    TableCheck::Limits limits;
    // Only a finished table can be too short: while recording it is growing.
    if (m_viewOnly)
        limits.rangeTop = r.levelTop();
    std::vector<TableCheck::Finding> findings = TableCheck::check(points, draining, limits);
    if (findings == m_findings && !m_marksStale && m_checkedLang == m_lang)
        return;
    m_findings = std::move(findings);
    m_marksStale = false;
    m_checkedLang = m_lang;

    // Only findings that call for a repeat mark their point; a warning (a
    // step at the table's end off the trend) is told in the line alone.
    QHash<int, QString> textOf; // stored index -> its findings, one per line
    QStringList all;
    for (const TableCheck::Finding &f : m_findings) {
        const QString line = TableCheck::text(f, draining, limits, m_lang);
        all << line;
        if (f.index >= 0 && f.fault())
            textOf[f.index] += (textOf.contains(f.index) ? QStringLiteral("\n") : QString()) + line;
    }

    // Markers: the marked ones larger and orange, labels in the same colour.
    const QVector<Recording::Marker> &markers = r.markers();
    // The chart holds only the markers in the time axis' range: point l of the
    // marker series is marker m_labelMarkers[l].
    QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> config;
    for (int l = 0; l < m_labelMarkers.size(); ++l) {
        const int i = m_labelMarkers[l];
        if (i >= markers.size())
            continue;
        const bool marked = textOf.contains(markers[i].index);
        if (marked)
            config.insert(l, {{QXYSeries::PointConfiguration::Color, kFindingColour},
                              {QXYSeries::PointConfiguration::Size, 12.0}});
        if (l < m_labels.size())
            m_labels[l]->setBrush(marked ? kFindingColour : QColor(Qt::red));
    }
    // The series rebuilds every marker item at each configuration change: one
    // change for all marks, none when they stay as they are.
    if (config != Series2->pointsConfiguration())
        Series2->setPointsConfiguration(config);

    // Rows: only those whose mark changes are touched (the list may hold
    // thousands of level steps).
    const QSet<int> nowMarked(textOf.keyBegin(), textOf.keyEnd());
    const QVector<Recording::Row> &rows = r.rows();
    for (int row = 0; row < rows.size() && row < ValueListEditor->rowCount(); ++row) {
        const int index = rows[row].index;
        const bool marked = nowMarked.contains(index);
        if (!marked && !m_markedPoints.contains(index))
            continue;
        for (int col = 0; col < 2; ++col) {
            if (QTableWidgetItem *item = ValueListEditor->item(row, col)) {
                item->setBackground(marked ? QBrush(kFindingRow) : QBrush());
                item->setToolTip(marked ? textOf.value(index) : QString());
            }
        }
    }
    m_markedPoints = nowMarked;

    // One line: the finding about the latest point, and how many more there are.
    if (all.isEmpty()) {
        lbTableCheck->clear();
        lbTableCheck->setToolTip(QString());
        lbTableCheck->hide();
        return;
    }
    const TableCheck::Finding *latest = &m_findings.front();
    for (const TableCheck::Finding &f : m_findings)
        if (f.index >= latest->index)
            latest = &f;
    QString line = TableCheck::text(*latest, draining, limits, m_lang);
    if (all.size() > 1)
        line += m_lang == 1 ? QStringLiteral(" (ещё %1)").arg(all.size() - 1)
                            : QStringLiteral(" (%1 more)").arg(all.size() - 1);
    lbTableCheck->setText(line);
    lbTableCheck->setToolTip(all.join(QLatin1Char('\n')));
    lbTableCheck->show();
}

void TForm5::refreshChart()
{
    const Recording &r = m_rec;
    const double xMin = r.xMin();
    // Both ends at once (a new maximum below the old minimum is taken too);
    // an unchanged range costs the chart nothing.
    const double xMax = std::max(r.xMax(), xMin + 1);

    // The chart redraws every point it holds at each reading: it gets only the
    // part of the curve in the time axis' range, with the point just outside
    // each end so that the line and the area still run to the edges. The
    // points left out lie wholly beyond one end, and so do the lines between
    // them, so the picture is the same; while recording that is about a
    // hundred points however long the protocol has grown.
    const QVector<QPointF> &curve = r.curve();
    const bool rebuilt = r.curveGeneration() != m_drawnGeneration || curve.size() < m_drawnCurve;
    int from = 0;
    while (from < curve.size() && curve[from].x() < xMin)
        ++from;
    int to = int(curve.size());
    while (to > 0 && curve[to - 1].x() > xMax)
        --to;
    from = std::max(from - 1, 0);
    to = std::min(to + 1, int(curve.size()));
    if (rebuilt || from != m_drawnFrom || to != m_drawnTo)
        m_upper->replace(curve.mid(from, std::max(to - from, 0)));
    m_drawnGeneration = r.curveGeneration();
    m_drawnCurve = curve.size();
    m_drawnFrom = from;
    m_drawnTo = to;

    // The markers in the range, with their labels (a marker outside is not drawn).
    const QVector<Recording::Marker> &markers = r.markers();
    QList<int> shown;
    for (int i = 0; i < markers.size(); ++i)
        if (markers[i].x >= xMin && markers[i].x <= xMax)
            shown.append(i);
    if (rebuilt || m_markersStale || shown != m_labelMarkers) {
        QList<QPointF> pts;
        pts.reserve(shown.size());
        for (int i : shown)
            pts.append(QPointF(markers[i].x, markers[i].n));
        Series2->replace(pts);
        qDeleteAll(m_labels);
        m_labels.clear();
        for (int i : shown) {
            auto *label =
                new QGraphicsSimpleTextItem(QString(markers[i].label).replace('\r', '\n'), m_chart);
            label->setBrush(Qt::red);
            m_labels.append(label);
        }
        m_labelMarkers = shown;
        m_markersStale = false;
        m_marksStale = true;
    }

    // The range changes after the series were cut to it: a change maps every
    // point the chart holds, so it must not meet the whole protocol still in
    // the series (the first reading after Start leaves the whole-diagram view).
    if (m_axisX->min() != xMin || m_axisX->max() != xMax)
        m_axisX->setRange(xMin, xMax);
    if (m_axisY->max() != r.levelTop() || m_axisY->min() != 0)
        m_axisY->setRange(0, r.levelTop());

    if (const std::optional<double> x = r.cursorLine())
        Series3->replace(QList<QPointF>{QPointF(*x, 5000), QPointF(*x, 0)});
    else
        Series3->clear();

    const QVector<Recording::Row> &rows = r.rows();
    const QSignalBlocker block(ValueListEditor);
    if (rebuilt || rows.size() < m_drawnRows) {
        ValueListEditor->setRowCount(0);
        m_drawnRows = 0;
        m_marksStale = true;
    }
    if (rows.size() > m_drawnRows) {
        ValueListEditor->setRowCount(rows.size());
        for (int i = m_drawnRows; i < rows.size(); ++i) {
            ValueListEditor->setItem(i, 0, new QTableWidgetItem(QString::number(rows[i].time)));
            ValueListEditor->setItem(i, 1, new QTableWidgetItem(QString::number(rows[i].n)));
        }
        m_drawnRows = rows.size();
        m_marksStale = true;
    }
    if (r.currentRow() >= 0 && r.currentRow() < rows.size() &&
        ValueListEditor->currentRow() != r.currentRow())
        ValueListEditor->setCurrentCell(r.currentRow(), 0);
    placeLabels();
}

void TForm5::placeLabels()
{
    const QVector<Recording::Marker> &markers = m_rec.markers();
    for (int l = 0; l < m_labels.size(); ++l) {
        const int i = m_labelMarkers[l];
        if (i >= markers.size())
            continue;
        const QPointF at = m_chart->mapToPosition(QPointF(markers[i].x, markers[i].n), Series2);
        QGraphicsSimpleTextItem *label = m_labels[l];
        label->setPos(
            at + QPointF(-label->boundingRect().width() / 2, -label->boundingRect().height() - 6));
        label->setVisible(m_chart->plotArea().contains(at));
    }
}
