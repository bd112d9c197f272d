#include "imaging/PictureColumns.h"

#include <array>

namespace kelpora {

namespace {

constexpr std::array<PictureColumn, 6> kColumns{{
    {"SHIO_ZU", ReadRule::BitmapFirst, "潮汐図"},
    {"CHIZU", ReadRule::BitmapFirst, "地図"},
    {"PHOTO1", ReadRule::JpegOnly, "写真1"},
    {"PHOTO2", ReadRule::JpegOnly, "写真2"},
    {"PHOTO3", ReadRule::JpegOnly, "写真3"},
    {"PHOTO4", ReadRule::JpegOnly, "写真4"},
}};

} // namespace

std::span<const PictureColumn, 6> pictureColumns()
{
    return kColumns;
}

std::span<const PictureColumn, 4> photoColumns()
{
    return pictureColumns().subspan<2>();
}

} // namespace kelpora
