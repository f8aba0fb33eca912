#include "app/form1.h"
#include "recovery/recovery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

namespace {

// The designed client area, in twips.
constexpr int kClientWidth = 14520;
constexpr int kClientHeight = 10080;
// The tab strip's place and the margins it keeps to the window's right and
// bottom edges when the window is resized.
constexpr int kTabLeft = 120, kTabTop = 1650;
constexpr int kTabRightMargin = kClientWidth - kTabLeft - 14295;
constexpr int kTabBottomMargin = kClientHeight - kTabTop - 8295;
// The surfaces inside the tab strip.
constexpr int kSurfaceLeft = 120, kSurfaceTop = 480;
constexpr int kSurfaceRightMargin = 14295 - kSurfaceLeft - 14055;
constexpr int kSurfaceBottomMargin = 8295 - kSurfaceTop - 7575;

QFont captionFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

} // namespace

Form1::Form1(Platform platform, QWidget* parent)
    : QWidget(parent), CommonDialog1(*platform.dialogs), platform_(std::move(platform)) {
    scale_ = logicalDpiX() / 96.0;
    buildDesign();
    setupPointerFeedback();
    setupFileDrops();
    connectEvents();
    if (!platform_.recoveryFolder.isEmpty()) {
        recovery_ = std::make_unique<Recovery>(platform_.recoveryFolder, [this] {
            std::vector<Recovery::Document> unsaved;
            for (int position = 0; position < TabControl1->count(); ++position) {
                const QString caption = TabControl1->caption(position);
                RichTextSurface* surface = RichTextBox1->at(TabControl1->value(position));
                if (surface && HasChangedMark(caption))
                    unsaved.push_back({surface->index(), WithoutChangedMark(caption),
                                       PathFromTag(surface->tag()), surface->document()});
            }
            return unsaved;
        });
        connect(RichTextBox1, &SurfaceArray::Change, recovery_.get(), &Recovery::documentChanged);
    }
}

Form1::~Form1() = default;

void Form1::syncRecovery() {
    if (recovery_)
        recovery_->sync();
}

int Form1::twips(int value) const {
    return qRound(value / 15.0 * scale_);
}

void Form1::buildDesign() {
    setWindowTitle(QString());
    resize(twips(kClientWidth), twips(kClientHeight));
    setControlBackColor(this, backColor);

    struct ButtonDesign {
        PushButton*& button;
        const char* caption;
        int left, top, width;
    };
    const ButtonDesign buttons[] = {
        {PushButton2, "New (Ctrl+N)", 120, 120, 1560},
        {PushButton1, "Open (Ctrl+O)", 1800, 120, 1800},
        {PushButton7, "Save (Ctrl+S)", 3720, 120, 1560},
        {PushButton14, "Save As (Ctrl+A)", 5400, 120, 1920},
        {PushButton8, "Save All", 7440, 120, 1080},
        {PushButton3, "Find", 8640, 120, 1080},
        {PushButton13, "Find Next", 9840, 120, 1200},
        {PushButton11, "Close (Ctrl+W)", 11160, 120, 1800},
        {PushButton12, "Close All", 13080, 120, 1320},
        {PushButton4, "Font Select Wizard", 4680, 630, 3480},
        {PushButton5, "Indent Left", 6240, 1140, 1920},
        {PushButton6, "Indent Right", 8280, 1140, 1920},
        {PushButton9, "Text Color", 10320, 1140, 1920},
        {PushButton10, "Back Color", 12360, 1140, 2040},
    };
    for (const ButtonDesign& design : buttons) {
        design.button = new PushButton(QString::fromLatin1(design.caption), this);
        design.button->setFont(captionFont());
        design.button->setGeometry(twips(design.left), twips(design.top), twips(design.width),
                                   twips(405));
    }

    struct BoxDesign {
        QAbstractButton* box;
        int left, top;
    };
    Check1 = new QCheckBox(QStringLiteral("Bold"), this);
    Check2 = new QCheckBox(QStringLiteral("Italic"), this);
    Check3 = new QCheckBox(QStringLiteral("Underline"), this);
    Check4 = new QCheckBox(QStringLiteral("Bullet"), this);
    Option1 = new QRadioButton(QStringLiteral("Left"), this);
    Option2 = new QRadioButton(QStringLiteral("Center"), this);
    Option3 = new QRadioButton(QStringLiteral("Right"), this);
    const BoxDesign boxes[] = {{Check1, 8280, 630},  {Check2, 9840, 630},  {Check3, 11400, 630},
                               {Check4, 12960, 630}, {Option1, 120, 1140}, {Option2, 2160, 1140},
                               {Option3, 4200, 1140}};
    for (const BoxDesign& design : boxes) {
        design.box->setFont(captionFont());
        const int width = qobject_cast<QCheckBox*>(design.box) ? 1440 : 1920;
        design.box->setGeometry(twips(design.left), twips(design.top), twips(width), twips(405));
    }
    // Each box shows the attribute it stands for.
    QFont italic = captionFont();
    italic.setItalic(true);
    Check2->setFont(italic);
    QFont underline = captionFont();
    underline.setUnderline(true);
    Check3->setFont(underline);
    Option1->setChecked(true);

    auto makeCombo = [this](int left, int width) {
        auto* combo = new QComboBox(this);
        combo->setEditable(true);
        // The lists keep the items the program adds; typing never adds one.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setGeometry(twips(left), twips(630), twips(width), twips(345));
        return combo;
    };
    Combo2 = makeCombo(120, 3495);
    Combo1 = makeCombo(3720, 855);

    TabControl1 = new TabStrip(this);
    RichTextBox1 = new SurfaceArray(TabControl1);
    layoutDocuments();

    // Centred on the screen at start.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

void Form1::connectEvents() {
    connect(RichTextBox1, &SurfaceArray::Change, this, &Form1::RichTextBox1_Change);
    connect(RichTextBox1, &SurfaceArray::Click, this, &Form1::RichTextBox1_Click);
    connect(RichTextBox1, &SurfaceArray::LinkActivated, this,
            [this](const QUrl& url) { platform_.openUrl(url); });
    connect(TabControl1, &TabStrip::selectionChanged, this, &Form1::TabControl1_SelectedChanged);
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(PushButton14, &QPushButton::clicked, this, &Form1::PushButton14_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);
    connect(PushButton12, &QPushButton::clicked, this, &Form1::PushButton12_Click);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &Form1::commitSession);
    connectFormattingEvents();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutDocuments();
}

void Form1::layoutDocuments() {
    // The toolbar stays as designed; the tab strip and the surfaces in it take
    // up what the window gives them.
    const int tabWidth = qMax(twips(2000), width() - twips(kTabLeft + kTabRightMargin));
    const int tabHeight = qMax(twips(2000), height() - twips(kTabTop + kTabBottomMargin));
    TabControl1->setGeometry(twips(kTabLeft), twips(kTabTop), tabWidth, tabHeight);
    RichTextBox1->setGeometry(QRect(twips(kSurfaceLeft), twips(kSurfaceTop),
                                    tabWidth - twips(kSurfaceLeft + kSurfaceRightMargin),
                                    tabHeight - twips(kSurfaceTop + kSurfaceBottomMargin)));
}

void Form1::setControlBackColor(QWidget* control, OleColor color) {
    QPalette palette = control->palette();
    palette.setColor(control->backgroundRole(), toQColor(color));
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}
