// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/orlaven.h"

#include <qdrawutil.h>

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <type_traits>

#include "design/design.h"
#include "design/presentation.h"
#include "design/reference_text.h"
#include "ui/accessibility.h"
#include "ui/app_setup.h"
#include "ui/colours.h"
#include "ui/fonts.h"
#include "ui/qt_text.h"
#include "ui/scale.h"

namespace ui {
namespace {

void FillBackground(QWidget* w, const design::Rgb& colour) {
    // Only the face: the boxes take the rest from the window and so follow
    // the theme as a whole, background and text together.
    QPalette p = w->palette();
    p.setColor(QPalette::Window, ToColor(colour));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// A face with its caption colour: labels and option buttons.
void PaintFace(QWidget* w, const design::Rgb& colour) {
    w->setPalette(FacePalette(w->palette(), ToColor(colour)));
    w->setAutoFillBackground(true);
}

// Drawn over what the style paints, under any style: the boxes' frame and
// the ring round the control with the keyboard focus, both in the design's
// colours, as the styles' own are too faint on the window's colours.
template <class Base>
class Edged : public Base {
public:
    using Base::Base;

protected:
    bool event(QEvent* e) override {
        const bool handled = Base::event(e);
        if (e->type() == QEvent::Paint) PaintEdges();
        // The whole control: a scroll area repaints only its viewport.
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) this->update();
        return handled;
    }

private:
    static constexpr bool kBox =
        std::is_base_of_v<QLineEdit, Base> || std::is_base_of_v<QPlainTextEdit, Base>;
    void PaintEdges() {
        const bool focused = this->hasFocus();
        if (!kBox && !focused) return;
        QPainter painter(this);
        const QRectF r(this->rect());
        painter.setBrush(Qt::NoBrush);
        if (kBox) {
            painter.setPen(QPen(ToColor(design::kBoxFrameColour), 1, Qt::SolidLine, Qt::SquareCap,
                                Qt::MiterJoin));
            painter.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
        }
        if (focused) {
            painter.setPen(QPen(ToColor(design::kFocusColour), 2, Qt::SolidLine, Qt::SquareCap,
                                Qt::MiterJoin));
            painter.drawRect(r.adjusted(1, 1, -1, -1));
        }
    }
};

// A push button whose face is its colour under any platform style (styles
// draw their own faces and ignore the palette): a raised edge that sinks
// while pressed, and a centred caption.
class ColouredButton : public Edged<QPushButton> {
public:
    ColouredButton(const QString& caption, const QColor& face, const design::ButtonEdges& edges,
                   QWidget* parent)
        : Edged(caption, parent) {
        // The three colours qDrawWinButton draws the edge in, the page's too:
        // a style's own shadow may all but vanish on the window's colour.
        QPalette p = FacePalette(palette(), face);
        p.setColor(QPalette::Light, ToColor(edges.light));
        p.setColor(QPalette::Dark, ToColor(edges.dark));
        p.setColor(QPalette::Shadow, ToColor(design::kButtonShadowColour));
        setPalette(p);
    }

    // What the caption needs inside the edge paintEvent draws, so a font
    // can be fitted to the button as to any other control.
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(text()) + 8, metrics.height() + 4};
    }

protected:
    // Enter presses a focused button, as Space does.
    void keyPressEvent(QKeyEvent* e) override {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
            (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        Edged::keyPressEvent(e);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& p = palette();
        qDrawWinButton(&painter, rect(), p, isDown(), &p.brush(QPalette::Button));
        painter.setPen(p.color(QPalette::ButtonText));
        const QRect inside =
            rect().adjusted(3, 2, -3, -2).translated(isDown() ? QPoint(1, 1) : QPoint());
        painter.drawText(inside, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }
};

// Qt keeps only one button of an exclusive group in the Tab chain and moves
// that place on every focus change; the design gives each option button a
// Tab stop of its own, so put them all back. The arrow keys still move
// within the group.
class OptionButton : public Edged<QRadioButton> {
public:
    using Edged::Edged;

protected:
    bool event(QEvent* e) override {
        const bool handled = Edged::event(e);
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) KeepTabStops();
        return handled;
    }
    void checkStateSet() override {
        Edged::checkStateSet();
        KeepTabStops();
    }

private:
    void KeepTabStops() {
        for (auto* option : parentWidget()->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly))
            option->setFocusPolicy(Qt::StrongFocus);
    }
};

}  // namespace

QString ToWidgetText(const std::string& text) {
    return QString::fromStdString(design::ToDisplayText(text));
}

std::string FromWidgetText(const QString& text) {
    QString s = text;
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return design::ToFormText(s.toStdString());
}

Orlaven::Orlaven(QWidget* parent) : Orlaven(QLocale::system().decimalPoint(), parent) {}

Orlaven::Orlaven(const QString& decimalSeparator, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(*this, decimalSeparator.toStdString()) {
    // Before any control exists: Qt keeps the first interface it makes.
    InstallAccessibility();
    const QFont font = DesignFont();
    {
        const ApplicationFontScope scope(font);
        Build(font);
    }
    // For screen readers alone; none of them shows.
    new OptionGroup(Q(design::kOptionGroupName), options_->buttons(), this);
    new OptionGroup(Q(design::kSexGroupName), sexes_->buttons(), this);
    announcer_ = new Announcer(this);
    form_.Form_Load();
}

void Orlaven::Build(const QFont& font) {
    setObjectName(QStringLiteral("Orlaven"));
    setWindowTitle(Q(design::kCaption));
    // The application's icon serves the window too; only a window without
    // one (as in tests) draws its own.
    if (QApplication::windowIcon().isNull()) setWindowIcon(AppIcon());
    setFont(font);
    FillBackground(this, design::kWindowColour);
    setFixedSize(design::Pixels(design::kClientWidth), design::Pixels(design::kClientHeight));

    options_ = new QButtonGroup(this);
    sexes_ = new QButtonGroup(this);
    for (const design::ControlDesign& d : design::kControls) {
        QWidget* w = nullptr;
        switch (d.kind) {
            case design::Kind::Label: {
                auto* label = new QLabel(Q(d.caption), this);
                label->setAlignment(Qt::AlignCenter);
                w = label;
                break;
            }
            case design::Kind::OptionButton: {
                auto* option = new OptionButton(Q(d.caption), this);
                const bool method = design::GroupOf(d).options == design::kMethodOptions;
                (method ? options_ : sexes_)->addButton(option, d.index);
                (method ? option1_.at(d.index) : option2_.at(d.index)) = option;
                w = option;
                break;
            }
            case design::Kind::TextBox: {
                auto* box = new Edged<QLineEdit>(this);
                box->setMaxLength(design::MaxLengthOf(d));
                // Enter in a box does what "Изчисли" does.
                connect(box, &QLineEdit::returnPressed, this,
                        [this] { Command(form::kCalculate); });
                (d.name == design::kInputBoxes ? text2_.at(d.index) : text3_.at(d.index)) = box;
                w = box;
                break;
            }
            case design::Kind::PushButton: {
                auto* button =
                    new ColouredButton(Q(d.caption), ToColor(*d.colour), design::EdgesOf(d), this);
                button->setAutoDefault(false);
                command1_[d.index] = button;
                connect(button, &QPushButton::clicked, this, [this, i = d.index] { Command(i); });
                w = button;
                break;
            }
            case design::Kind::Scale:
                scale_ = new ScaleStrip(form_.DecimalSeparator(), this);
                w = scale_;
                break;
            case design::Kind::Note: {
                auto* note = new QLabel(Q(d.caption), this);
                note->setIndent(design::Pixels(design::kNoteIndent));
                // Selectable, but not a Tab stop: the design's order stands.
                note->setTextInteractionFlags(Qt::TextSelectableByMouse);
                if (design::NameOf(d) == design::kRangeNote) rangeNote_ = note;
                if (design::NameOf(d) == design::kScopeNoteLine) scopeNote_ = note;
                w = note;
                break;
            }
            case design::Kind::OutputBox: {
                text1_ = new Edged<QPlainTextEdit>(this);
                // Read-only for typing, but the report can be selected and
                // copied, and Tab moves on instead of being typed.
                text1_->setReadOnly(true);
                text1_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                                Qt::TextSelectableByKeyboard);
                text1_->setTabChangesFocus(true);
                text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                text1_->setPlainText(ToWidgetText(std::string(design::kReferenceText)));
                text1_->setAccessibleName(Q(design::kOutputAccessibleName));
                w = text1_;
                break;
            }
        }
        w->setObjectName(Q(design::NameOf(d)));
        w->setGeometry(design::Pixels(d.left), design::Pixels(d.top), design::Pixels(d.width),
                       design::Pixels(d.height));
        if (d.colour && d.kind != design::Kind::PushButton) PaintFace(w, *d.colour);
        if (d.kind == design::Kind::Label || d.kind == design::Kind::OptionButton ||
            d.kind == design::Kind::PushButton || d.kind == design::Kind::Note)
            FitCaption(*w);
    }
    for (std::string_view name : design::kHiddenAtStart) Control(name)->hide();
    for (const design::Caption& c : design::kBoxCaptions) {
        static_cast<QLabel*>(Control(c.label))->setBuddy(Control(c.box));
        // Screen readers name a box by the label that names it, so both
        // say the spoken name.
        if (!c.spoken.empty())
            for (std::string_view named : {c.label, c.box})
                Control(named)->setAccessibleName(Q(c.spoken));
    }
    ShowNotes(design::StripAtStart(form_.DecimalSeparator()));

    // A choice made by mouse, Space or the arrow keys checks a button; the
    // logic itself only ever unchecks, which must not count as a choice.
    connect(options_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) form_.Option1_Click(id);
    });

    for (std::size_t i = 1; i < design::kFocusOrder.size(); ++i)
        setTabOrder(Control(design::kFocusOrder[i - 1]), Control(design::kFocusOrder[i]));
    Control(design::kFocusOrder.front())->setFocus();
}

void Orlaven::Command(int index) {
    const design::CommandOutcome outcome = design::Command(form_, *this, index);
    if (outcome.strip) {
        scale_->Show(*outcome.strip);
        ShowNotes(*outcome.strip);
    }
    announcer_->Announce(Q(outcome.announcement));
}

void Orlaven::ShowNotes(const design::Strip& strip) {
    // A line with nothing to say is not there, for a screen reader either:
    // hidden, and no focus can land on it. One that says more than the
    // design's room holds is drawn smaller, as a caption is.
    for (const auto& [note, text] :
         {std::pair(rangeNote_, &strip.rangeNote), std::pair(scopeNote_, &strip.scopeNote)}) {
        note->setText(Q(*text));
        note->setVisible(!text->empty());
        note->setTextInteractionFlags(text->empty() ? Qt::NoTextInteraction
                                                    : Qt::TextSelectableByMouse);
        note->setFont(font());
        FitCaption(*note);
    }
}

QWidget* Orlaven::Control(std::string_view name) const {
    return findChild<QWidget*>(Q(name), Qt::FindDirectChildrenOnly);
}

std::string Orlaven::InputText(int index) const { return text2_.at(index)->text().toStdString(); }

void Orlaven::SetInputText(int index, const std::string& text) {
    text2_.at(index)->setText(QString::fromStdString(text));
}

std::string Orlaven::OutputText() const { return FromWidgetText(text1_->toPlainText()); }

void Orlaven::SetOutputText(const std::string& text) { text1_->setPlainText(ToWidgetText(text)); }

std::string Orlaven::AgeText(int index) const { return text3_.at(index)->text().toStdString(); }

void Orlaven::SetAgeText(int index, const std::string& text) {
    text3_.at(index)->setText(QString::fromStdString(text));
}

bool Orlaven::SexValue(int index) const { return option2_.at(index)->isChecked(); }

std::string Orlaven::OptionCaption(int index) const {
    return option1_.at(index)->text().toStdString();
}

void Orlaven::SetOptionValue(int index, bool checked) {
    SetChecked(*options_, *option1_.at(index), checked);
}

void Orlaven::SetSexValue(int index, bool checked) {
    SetChecked(*sexes_, *option2_.at(index), checked);
}

void Orlaven::SetChecked(QButtonGroup& group, QRadioButton& option, bool checked) {
    if (option.isChecked() == checked) return;
    // An exclusive group will not let its checked button go from code.
    const QSignalBlocker block(group);
    group.setExclusive(false);
    option.setChecked(checked);
    group.setExclusive(true);
}

void Orlaven::SetChestGirthLabelVisible(bool visible) {
    Control(design::kBoxCaptions[form::kChestGirth].label)->setVisible(visible);
}

void Orlaven::SetChestGirthInputVisible(bool visible) {
    QLineEdit* box = text2_[form::kChestGirth];
    const auto told = design::ChestGirthAnnouncement(box->isHidden(), visible);
    box->setVisible(visible);
    if (told && announcer_) announcer_->Announce(Q(*told));
}

void Orlaven::ShowOverflowWarning(const std::string& message) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(message));
}

}  // namespace ui
