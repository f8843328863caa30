#include "jpeg_decoder.h"

#include "decode_error.h"
#include "framework/picture_helper_protocol.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace picture_helper {

namespace {

// What libjpeg may allocate for one picture: a progressive picture keeps all its
// coefficients, which for a damaged size field could be gigabytes.
constexpr long kMaxLibraryMemory = 256L * 1024 * 1024;

// libjpeg reports a fatal error by calling error_exit, which by default ends the
// process. Ours jumps back to the decoding function instead, keeping the message.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// Everything the decoding touches lives here, reached through a pointer that does not
// change after setjmp, so that its contents are valid after a jump back.
struct Job {
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    jpeg_progress_mgr progress;
    const JpegPixels* pixels = nullptr;
    std::uint8_t* image = nullptr;
    std::vector<JSAMPLE> cmykRow;
    const char* failure = nullptr; // our own reasons, besides libjpeg's messages
};

Job& jobOf(j_common_ptr cinfo) {
    return *static_cast<Job*>(cinfo->client_data);
}

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    Job& job = jobOf(cinfo);
    (*cinfo->err->format_message)(cinfo, job.error.message);
    std::longjmp(job.error.jump, 1);
}

[[noreturn]] void fail(j_common_ptr cinfo, const char* reason) {
    Job& job = jobOf(cinfo);
    job.failure = reason;
    std::longjmp(job.error.jump, 1);
}

// libjpeg goes on after a warning, filling what it could not decode with grey. A warning
// about the picture data ends the decoding instead; only those that lose nothing of the
// picture are passed over.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return; // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_ADOBE_XFORM:     // an unknown colour transform code: the usual one is used
    case JWRN_JFIF_MAJOR:      // a newer JFIF version number
    case JWRN_BOGUS_ICC:       // a damaged colour profile, which is not used
    case JWRN_EXTRANEOUS_DATA: // padding between the picture data and the next marker
        return;
    default:
        errorExit(cinfo);
    }
}

void outputMessage(j_common_ptr) {}

// Called before each scan is read and after every row of blocks.
void checkProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
        fail(cinfo, "filen har for mange scanninger");
}

// Picks the largest scale of M/8 (libjpeg-turbo decodes at any of them) at which the
// picture has no more than kMaxPicturePixels; false when even 1/8 is too large.
bool chooseScale(jpeg_decompress_struct& cinfo) {
    for (unsigned eighths = 8; eighths >= 1; --eighths) {
        cinfo.scale_num = eighths;
        cinfo.scale_denom = 8;
        jpeg_calc_output_dimensions(&cinfo);
        if (std::int64_t(cinfo.output_width) * cinfo.output_height <=
            framework::picture_helper_protocol::kMaxPicturePixels)
            return true;
    }
    return false;
}

// CMYK as Adobe programs write it (inverted) or plain.
void cmykRowToRgb(const JSAMPLE* cmyk, std::uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[4 * x] = std::uint8_t(y * k / 255);
        out[4 * x + 1] = std::uint8_t(m * k / 255);
        out[4 * x + 2] = std::uint8_t(c * k / 255);
        out[4 * x + 3] = 255;
    }
}

// Returns false after a libjpeg error or a failure of our own. Only this function calls
// setjmp; it keeps no local state that changes after it.
bool decodeInto(Job* job, const std::uint8_t* data, std::size_t size) {
    job->cinfo.err = jpeg_std_error(&job->error.pub);
    job->error.pub.error_exit = errorExit;
    job->error.pub.emit_message = emitMessage;
    job->error.pub.output_message = outputMessage;
    job->cinfo.client_data = job;
    if (setjmp(job->error.jump))
        return false;

    jpeg_create_decompress(&job->cinfo);
    job->cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
    job->progress.progress_monitor = checkProgress;
    job->cinfo.progress = &job->progress;
    jpeg_mem_src(&job->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&job->cinfo, TRUE);

    const bool cmyk =
        job->cinfo.jpeg_color_space == JCS_CMYK || job->cinfo.jpeg_color_space == JCS_YCCK;
    job->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    if (!chooseScale(job->cinfo))
        fail(j_common_ptr(&job->cinfo), "billedet er for stort");
    jpeg_start_decompress(&job->cinfo);

    job->image = (*job->pixels)(job->cinfo.output_width, job->cinfo.output_height);
    if (!job->image)
        fail(j_common_ptr(&job->cinfo), "der er ikke hukommelse nok til billedet");
    if (cmyk)
        job->cmykRow.resize(std::size_t(job->cinfo.output_width) * 4);
    const std::size_t rowBytes = std::size_t(job->cinfo.output_width) * 4;
    while (job->cinfo.output_scanline < job->cinfo.output_height) {
        std::uint8_t* line = job->image + rowBytes * job->cinfo.output_scanline;
        JSAMPROW row = cmyk ? job->cmykRow.data() : line;
        jpeg_read_scanlines(&job->cinfo, &row, 1);
        if (cmyk)
            cmykRowToRgb(row, line, job->cinfo.output_width, job->cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&job->cinfo);
    return true;
}

} // namespace

JpegSize decodeJpeg(const std::uint8_t* data, std::size_t size, const JpegPixels& pixels) {
    Job job;
    std::memset(&job.cinfo, 0, sizeof job.cinfo);
    std::memset(&job.progress, 0, sizeof job.progress);
    job.error.message[0] = '\0';
    job.pixels = &pixels;
    const bool ok = decodeInto(&job, data, size);
    const JpegSize decoded{job.cinfo.output_width, job.cinfo.output_height};
    jpeg_destroy_decompress(&job.cinfo);
    if (ok)
        return decoded;
    // libjpeg's own messages are in English; ours are not.
    throw DecodeError(std::string("JPEG-filen kan ikke læses (") +
                      (job.failure ? job.failure : job.error.message) + ").");
}

} // namespace picture_helper
