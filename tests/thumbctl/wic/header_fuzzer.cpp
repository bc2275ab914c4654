// The plug-in's own reading of file headers: the format choice (ISO boxes, RIFF, RAW
// signatures) and the Exif orientation of JPEG and TIFF bytes.
#include <cstddef>
#include <cstdint>

#include "thumbctl/wic/exif_orientation.h"
#include "thumbctl/wic/picture_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace thumbctl::wic;
    const PictureFormat format = FormatOf(data, size, "x.dng");
    if (format == PictureFormat::kRaw && FormatOf(data, size, "") == PictureFormat::kJpeg)
        __builtin_trap();  // content decides before the name
    const int jpeg = JpegExifOrientation(data, size);
    const int tiff = TiffOrientation(data, size);
    if (jpeg < 0 || jpeg > 8 || tiff < 0 || tiff > 8)
        __builtin_trap();
    return 0;
}
