#pragma once

#include "app/KelporaWindow.h"

namespace kelpora {
class ImageArea;
}

// The entry window, where a new catch record is typed in. The tide chart editor and
// the map input hand their pictures back into Image_Shio and Image_Map.
class TFishDataIn : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TFishDataIn(QWidget* owner);
    ~TFishDataIn() override;

    kelpora::ImageArea* Image_Shio = nullptr;
    kelpora::ImageArea* Image_Map = nullptr;
};

extern TFishDataIn* FishDataIn;
