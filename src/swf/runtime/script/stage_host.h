#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velmora::swf {
class Clip;
class MovieInstance;
}  // namespace velmora::swf

namespace velmora::swf::script {

// What a view asks of the movie's Stage and ContextMenu objects. Reading the menu runs no script;
// the movie's handlers run as top-level scripts of their own.

// The view's area is now width x height pixels: kept for Stage.width and Stage.height, and when it
// changed while the stage is not scaled ("noScale"), Stage's listeners hear onResize.
void resizeStage(MovieInstance& movie, int width, int height);

// The right-button menu a movie gives: the `menu` of the clip under the pointer or of the nearest
// clip above it that has one, else the root's. Built-in entries the menu hides are off.
struct MovieMenu {
    struct Item {
        std::string caption;
        bool separatorBefore = false;
        bool enabled = true;
        size_t index = 0;  // in customItems
    };
    std::vector<Item> items;  // the visible custom items, in order
    bool zoom = true;
    bool quality = true;
    bool play = true;
    bool loop = true;
    bool rewind = true;
    bool forwardBack = true;
};

// The menu to show over clip (nullptr: the root); nullopt when the movie gives none. Runs the
// menu's onSelect first, as the menu opens.
std::optional<MovieMenu> openMovieMenu(MovieInstance& movie, Clip* under);
// The user chose custom item `index` (MovieMenu::Item::index) of the menu over `under`: its
// onSelect runs with the clip the menu belongs to and the item.
void chooseMovieMenuItem(MovieInstance& movie, Clip* under, size_t index);
// The clip under a point of the stage (twips): the deepest one whose content's box holds it,
// topmost first; nullptr over none but the root.
Clip* clipAt(MovieInstance& movie, double xTwips, double yTwips);

}  // namespace velmora::swf::script
