#include "jpeg_decoder.h"

#include "engine/error.h"
#include "picture_format.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>

namespace framework {

namespace {

// libjpeg reports a fatal error by calling error_exit, which by default ends the
// process. Ours jumps back to the decoding function instead, keeping the message.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings are ignored, but running out of data is not: a truncated file would
// otherwise show with a grey lower part.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        errorExit(cinfo);
}

void outputMessage(j_common_ptr) {}

// Everything the decoding touches lives here, reached through a pointer that does not
// change after setjmp, so that its contents are valid after a jump back.
struct Job {
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    QImage image;
    QByteArray cmykRow;
    const char* failure = nullptr; // our own reasons, besides libjpeg's messages
};

unsigned scaleDenominatorFor(const jpeg_decompress_struct& cinfo) {
    for (unsigned denominator = 1; denominator <= 8; denominator *= 2) {
        const qint64 width = (qint64(cinfo.image_width) + denominator - 1) / denominator;
        const qint64 height = (qint64(cinfo.image_height) + denominator - 1) / denominator;
        if (width * height <= kMaxPicturePixels)
            return denominator;
    }
    return 0;
}

// CMYK as Adobe programs write it (inverted) or plain.
void cmykRowToRgb(const JSAMPLE* cmyk, QRgb* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Returns false after a libjpeg error or when job->failure is set. Only this function
// calls setjmp; it keeps no local state that changes after it.
bool decodeInto(Job* job, const QByteArray* data) {
    job->cinfo.err = jpeg_std_error(&job->error.pub);
    job->error.pub.error_exit = errorExit;
    job->error.pub.emit_message = emitMessage;
    job->error.pub.output_message = outputMessage;
    if (setjmp(job->error.jump))
        return false;

    jpeg_create_decompress(&job->cinfo);
    // Bounds what a damaged progressive file may make libjpeg allocate.
    job->cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
    jpeg_mem_src(&job->cinfo, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_read_header(&job->cinfo, TRUE);

    const unsigned denominator = scaleDenominatorFor(job->cinfo);
    if (denominator == 0) {
        job->failure = "billedet er for stort";
        return false;
    }
    job->cinfo.scale_num = 1;
    job->cinfo.scale_denom = denominator;

    const bool cmyk =
        job->cinfo.jpeg_color_space == JCS_CMYK || job->cinfo.jpeg_color_space == JCS_YCCK;
    job->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&job->cinfo);

    job->image =
        QImage(int(job->cinfo.output_width), int(job->cinfo.output_height), QImage::Format_RGB32);
    if (job->image.isNull()) {
        job->failure = "der er ikke hukommelse nok til billedet";
        return false;
    }
    if (cmyk)
        job->cmykRow.resize(qsizetype(job->cinfo.output_width) * 4);
    while (job->cinfo.output_scanline < job->cinfo.output_height) {
        auto* line = reinterpret_cast<QRgb*>(job->image.scanLine(int(job->cinfo.output_scanline)));
        JSAMPROW row = cmyk ? reinterpret_cast<JSAMPROW>(job->cmykRow.data())
                            : reinterpret_cast<JSAMPROW>(line);
        jpeg_read_scanlines(&job->cinfo, &row, 1);
        if (cmyk)
            cmykRowToRgb(row, line, job->cinfo.output_width, job->cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&job->cinfo);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data) {
    Job job;
    std::memset(&job.cinfo, 0, sizeof job.cinfo);
    job.error.message[0] = '\0';
    const bool ok = decodeInto(&job, &data);
    jpeg_destroy_decompress(&job.cinfo);
    if (ok)
        return job.image;
    const QString reason =
        job.failure ? QString::fromLatin1(job.failure) : QString::fromLocal8Bit(job.error.message);
    throw engine::Error(QStringLiteral("JPEG-filen kan ikke læses (%1).").arg(reason));
}

} // namespace framework
