// The right-button menu, with the entries a Flash movie's viewers know, and the movie's own.
#include <QContextMenuEvent>
#include <QMenu>

#include "platform/player/player_state.h"
#include "swf/runtime/script/stage_host.h"

namespace velmora {

void SwfPlayerWidget::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu = makeContextMenu(QPointF(event->pos()));
    if (!menu->isEmpty()) menu->exec(event->globalPos());
}

std::unique_ptr<QMenu> SwfPlayerWidget::makeContextMenu() { return makeContextMenu(std::nullopt); }

std::unique_ptr<QMenu> SwfPlayerWidget::makeContextMenu(std::optional<QPointF> at) {
    const bool loaded = state_->instance != nullptr;
    auto owned = std::make_unique<QMenu>(this);
    QMenu& menu = *owned;

    // Over a text field, its editing entries lead.
    if (at) addFieldEntries(menu, *at);
    if (loaded && !state_->instance) return owned;

    // The movie's entries come first, from the menu of the clip under the pointer (or the root's).
    swf::script::MovieMenu movieMenu;
    if (swf::MovieInstance* movie = state_->instance.get()) {
        swf::Clip* under = nullptr;
        if (at) {
            bool invertible = false;
            const QPointF twips = viewTransform().inverted(&invertible).map(*at);
            if (invertible) under = swf::script::clipAt(*movie, twips.x(), twips.y());
        }
        const swf::ClipHandle handle = under ? under->handle() : swf::ClipHandle();
        if (std::optional<swf::script::MovieMenu> given = swf::script::openMovieMenu(*movie, under)) {
            movieMenu = std::move(*given);
        }
        // The movie may have gone (or the clip with it) while its onSelect ran.
        if (state_->instance.get() != movie) return owned;
        for (const swf::script::MovieMenu::Item& item : movieMenu.items) {
            if (item.separatorBefore && !menu.isEmpty()) menu.addSeparator();
            QAction* action = menu.addAction(QString::fromStdString(item.caption), this, [this, handle, movie,
                                                                                           index = item.index] {
                if (state_->instance.get() != movie) return;
                swf::script::chooseMovieMenuItem(*movie, handle.get(), index);
                afterPointer();
            });
            action->setEnabled(item.enabled);
        }
        if (!movieMenu.items.empty()) menu.addSeparator();
        // Stage.showMenu = false leaves only the movie's own entries.
        if (!movie->stageSettings().showMenu) {
            movieMenu.zoom = movieMenu.quality = movieMenu.play = movieMenu.loop = false;
            movieMenu.rewind = movieMenu.forwardBack = false;
        }
    }

    // Entries a movie hides are left out, not disabled: the movie asked for a shorter menu.
    if (movieMenu.zoom) {
        QAction* zoomIn = menu.addAction(tr("Zoom In"), this, [this] { setZoom(zoom() * 2.0); });
        QAction* zoomOut = menu.addAction(tr("Zoom Out"), this, [this] { setZoom(zoom() / 2.0); });
        QAction* showAll = menu.addAction(tr("Show All"), this, [this] { setZoom(1.0); });
        zoomIn->setEnabled(loaded);
        zoomOut->setEnabled(loaded && zoom() > 1.0);
        showAll->setEnabled(loaded && zoom() != 1.0);
        menu.addSeparator();
    }

    if (movieMenu.quality) {
        QAction* quality = menu.addAction(tr("Quality"), this, [this] {
            if (!state_->instance) return;
            state_->instance->setHighQuality(!state_->instance->highQuality());
            redrawAll();
        });
        quality->setCheckable(true);
        quality->setChecked(loaded && state_->instance->highQuality());
        quality->setEnabled(loaded);
        menu.addSeparator();
    }

    const bool movable = loaded && state_->instance->root().frameCount() > 1;
    if (movieMenu.play) {
        QAction* play = menu.addAction(tr("Play"), this, [this] { isPlaying() ? StopPlay() : Play(); });
        play->setCheckable(true);
        play->setChecked(isPlaying());
        play->setEnabled(movable);
    }
    if (movieMenu.loop) {
        QAction* loop = menu.addAction(tr("Loop"), this, [this] { setLooping(!isLooping()); });
        loop->setCheckable(true);
        loop->setChecked(isLooping());
    }
    if (movieMenu.play || movieMenu.loop) menu.addSeparator();
    // Rewind goes to the first frame and waits there, as the format's players do.
    if (movieMenu.rewind) menu.addAction(tr("Rewind"), this, [this] { GotoFrame(0); })->setEnabled(movable);
    if (movieMenu.forwardBack) {
        menu.addAction(tr("Forward"), this, [this] { Forward(); })->setEnabled(movable);
        menu.addAction(tr("Back"), this, [this] { Back(); })->setEnabled(movable);
    }
    return owned;
}

}  // namespace velmora
