#include "entry/Fish_Data_IN.h"

#include "app/Controls.h"

TFishDataIn* FishDataIn = nullptr;

using kelpora::ImageArea;

TFishDataIn::TFishDataIn(QWidget* owner) : KelporaWindow(owner, {"FishDataIn", QStringLiteral("釣果記録"), {956, 683}})
{
    using Mode = ImageArea::DisplayMode;
    Image_Shio = kelpora::kit::imageArea(this, "Image_Shio", {480, 60, 333, 248}, Mode::ProportionalCentred);
    Image_Map = kelpora::kit::imageArea(this, "Image_Map", {480, 320, 334, 250}, Mode::ProportionalCentred);
}

TFishDataIn::~TFishDataIn() = default;
