// Forms: the registry of open windows, measures in twips, showing and closing.

#include "form.h"

#include "shown_text.h"
#include "twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>
#include <utility>

namespace kestle {

void Windows::remove(Form *f) { open_.erase(std::remove(open_.begin(), open_.end(), f), open_.end()); }

std::vector<std::string> Windows::tags() const {
    std::vector<std::string> t;
    t.reserve(open_.size());
    for (const Form *f : open_)
        t.push_back(f->tag);
    return t;
}

Form::Form(Windows &windows, const QString &caption, bool mdi_child)
    : QWidget(nullptr), windows_(windows), mdi_child_(mdi_child && windows.mdi) {
    setWindowTitle(caption);
    if (!mdi_child_)
        setAttribute(Qt::WA_DeleteOnClose);
    if (mdi_child_) {
        QMdiSubWindow *sub = windows.mdi->addSubWindow(this);
        sub->setAttribute(Qt::WA_DeleteOnClose);
    }
    windows_.add(this);
}

Form::~Form() { windows_.remove(this); }

QWidget *Form::frame() {
    if (mdi_child_ && parentWidget())
        return parentWidget();
    return this;
}

int Form::left_twips() { return px_to_twips(frame()->x()); }
int Form::top_twips() { return px_to_twips(frame()->y()); }
int Form::width_twips() { return px_to_twips(frame()->width()); }
int Form::height_twips() { return px_to_twips(frame()->height()); }

void Form::move_twips(int left, int top) {
    placed_ = true;
    frame()->move(twips_to_px(left), twips_to_px(top));
}

void Form::resize_twips(int width, int height) { frame()->resize(twips_to_px(width), twips_to_px(height)); }

void Form::set_minimum_twips(int width, int height) {
    frame()->setMinimumSize(twips_to_px(width), twips_to_px(height));
}

void Form::show_form() {
    remember_opener();
    frame()->show();
    show();
    // Shown again while open, it comes back inside the client area as well.
    fit_in_client_area();
}

void Form::activate() {
    frame()->raise();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(frame()); sub && windows_.mdi)
        windows_.mdi->setActiveSubWindow(sub);
}

void Form::hide_form() {
    return_to_opener();
    frame()->hide();
}

void Form::remember_opener() {
    if (!viewer_ || !mdi_child_ || !windows_.mdi)
        return;
    // Shown again from itself, it keeps the window it came from.
    QMdiSubWindow *front = windows_.mdi->currentSubWindow();
    if (front && front != frame())
        if (auto *f = qobject_cast<Form *>(front->widget()))
            opener_ = f;
}

void Form::return_to_opener() {
    // Done before the window goes, so the client area finds the opener active already and does
    // not pick the window active before the viewer, which may be another one.
    if (!viewer_ || !opener_ || !windows_.mdi || windows_.mdi->currentSubWindow() != frame())
        return;
    QWidget *opener = opener_->frame();
    if (opener->isVisible() && !opener->isMinimized())
        opener_->activate();
}

void Form::set_caption(const QString &caption) { setWindowTitle(shown_text(caption)); }

void Form::unload() {
    if (mdi_child_ && parentWidget())
        parentWidget()->close();
    else
        close();
}

namespace {

// Start and length of a window along one side of an area of length room: where it does not fit
// it moves back; where it is longer than the area it is cut to the area, but not below its least
// length, and one that was given its place keeps its start (up to a quarter of the area) as far
// as its length lets it.
std::pair<int, int> fit_side(int start, int length, int least, int room, bool placed) {
    start = std::max(start, 0);
    if (start + length <= room)
        return {start, length};
    if (length <= room)
        return {room - length, length};
    start = placed ? std::min(start, room / 4) : 0;
    length = std::max(room - start, least);
    if (start + length > room)
        start = std::max(room - length, 0);
    return {start, length};
}

} // namespace

void Form::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    fit_in_client_area();
}

void Form::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    // The client area looks at its scroll bars again only when a window moves or is resized,
    // not when one hides; told to look, it scrolls back once nothing visible lies outside.
    if (mdi_child_ && windows_.mdi) {
        QWidget *viewport = windows_.mdi->viewport();
        QResizeEvent again(viewport->size(), viewport->size());
        QCoreApplication::sendEvent(viewport, &again);
    }
}

void Form::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fit_to_font();
}

void Form::keep_inside(QWidget *control) { kept_inside_.emplace_back(control, control->geometry()); }

void Form::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    for (const auto &[control, design] : kept_inside_) {
        if (!control)
            continue;
        const int margin = design.x();
        control->resize(std::min(design.width(), std::max(width() - design.x() - margin, 0)),
                        std::min(design.height(), std::max(height() - design.y() - margin, 0)));
    }
}

void Form::fit_in_client_area() {
    QWidget *area = mdi_child_ ? frame()->parentWidget() : nullptr;
    if (!area || area->size().isEmpty())
        return;
    const QRect g = frame()->geometry();
    // A form of fixed size leaves its frame's own minimum at nothing: the frame is not to be
    // smaller than the form and the frame's edges around it.
    const QSize least = frame()->minimumSize().expandedTo(minimumSize() + g.size() - size());
    const auto [x, w] = fit_side(g.x(), g.width(), least.width(), area->width(), placed_);
    const auto [y, h] = fit_side(g.y(), g.height(), least.height(), area->height(), placed_);
    if (QRect(x, y, w, h) != g)
        frame()->setGeometry(x, y, w, h);
}

void Form::closeEvent(QCloseEvent *event) {
    if (!unloading_) {
        return_to_opener();
        unloading_ = true;
        // Out of the registry first, so the window's steps no longer find it.
        windows_.remove(this);
        form_unload();
    }
    event->accept();
}

} // namespace kestle
