// Built-in pictures: the program registers each picture id with a function that draws
// it, and DrawPicture runs that function on the current port.
#include <map>
#include <memory>

#include "platform/Pictures.h"
#include "platform/PortStateSaver.h"

namespace {

// Registered pictures by id. Handles stay valid for the whole run: registering an id
// again replaces the picture's contents in place.
std::map<int16_t, std::unique_ptr<Picture>>& BuiltInPictures() {
    static std::map<int16_t, std::unique_ptr<Picture>> pictures;
    return pictures;
}

}  // namespace

void RegisterPicture(int16_t id, Rect frame, std::function<void(const Rect& dst)> draw) {
    std::unique_ptr<Picture>& slot = BuiltInPictures()[id];
    if (!slot) slot = std::make_unique<Picture>();
    slot->id = id;
    slot->picFrame = frame;
    slot->draw = std::move(draw);
    slot->data.clear();
}

PicHandle GetPicture(int16_t id) {
    auto it = BuiltInPictures().find(id);
    return it != BuiltInPictures().end() ? it->second.get() : nullptr;
}

// Draws into the current port, scaled to dst. The port's pen, colours, text settings
// and clip rectangle are as before afterwards, whatever the picture set while drawing.
// A picture without a drawing function (a recorded one) draws nothing here.
void DrawPicture(PicHandle pic, const Rect* dst) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || pic == nullptr || dst == nullptr || !pic->draw) return;
    PortStateSaver saved(port);
    pic->draw(*dst);
}
