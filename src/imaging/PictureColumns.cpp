#include "imaging/PictureColumns.h"

#include <array>

namespace kelpora {

namespace {

constexpr std::array<PictureColumn, 6> kColumns{{
    {"SHIO_ZU", ReadRule::BitmapFirst},
    {"CHIZU", ReadRule::BitmapFirst},
    {"PHOTO1", ReadRule::JpegOnly},
    {"PHOTO2", ReadRule::JpegOnly},
    {"PHOTO3", ReadRule::JpegOnly},
    {"PHOTO4", ReadRule::JpegOnly},
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
