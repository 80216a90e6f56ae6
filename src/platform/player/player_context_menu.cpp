// The right-button menu, with the entries a Flash movie's viewers know.
#include <QContextMenuEvent>
#include <QMenu>

#include "platform/player/player_state.h"

namespace velmora {

void SwfPlayerWidget::contextMenuEvent(QContextMenuEvent* event) { makeContextMenu()->exec(event->globalPos()); }

std::unique_ptr<QMenu> SwfPlayerWidget::makeContextMenu() {
    const bool loaded = state_->instance != nullptr;
    auto owned = std::make_unique<QMenu>(this);
    QMenu& menu = *owned;

    QAction* zoomIn = menu.addAction(tr("Zoom In"), this, [this] { setZoom(zoom() * 2.0); });
    QAction* zoomOut = menu.addAction(tr("Zoom Out"), this, [this] { setZoom(zoom() / 2.0); });
    QAction* showAll = menu.addAction(tr("Show All"), this, [this] { setZoom(1.0); });
    zoomIn->setEnabled(loaded);
    zoomOut->setEnabled(loaded && zoom() > 1.0);
    showAll->setEnabled(loaded && zoom() != 1.0);
    menu.addSeparator();

    QAction* quality = menu.addAction(tr("Quality"), this, [this] {
        if (!state_->instance) return;
        state_->instance->setHighQuality(!state_->instance->highQuality());
        update();
    });
    quality->setCheckable(true);
    quality->setChecked(loaded && state_->instance->highQuality());
    quality->setEnabled(loaded);
    menu.addSeparator();

    QAction* play = menu.addAction(tr("Play"), this, [this] { isPlaying() ? StopPlay() : Play(); });
    play->setCheckable(true);
    play->setChecked(isPlaying());
    QAction* loop = menu.addAction(tr("Loop"), this, [this] { setLooping(!isLooping()); });
    loop->setCheckable(true);
    loop->setChecked(isLooping());
    menu.addSeparator();
    // Rewind goes to the first frame and waits there, as the format's players do.
    QAction* rewind = menu.addAction(tr("Rewind"), this, [this] { GotoFrame(0); });
    QAction* forward = menu.addAction(tr("Forward"), this, [this] { Forward(); });
    QAction* back = menu.addAction(tr("Back"), this, [this] { Back(); });
    const bool movable = loaded && state_->instance->root().frameCount() > 1;
    play->setEnabled(movable);
    rewind->setEnabled(movable);
    forward->setEnabled(movable);
    back->setEnabled(movable);

    return owned;
}

}  // namespace velmora
