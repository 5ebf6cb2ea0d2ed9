/* The one place that calls libjpeg. libjpeg ends a fatal error by calling its error-exit
 * routine, which must not return; ours jumps back with longjmp to the entry function that set
 * the jump point. Only C frames (these functions and libjpeg's) lie between the two, so the
 * jump skips no C++ destructor. The callbacks into the caller must return normally: they
 * report problems through their result, and the caller keeps any exception of its own until
 * the entry function has returned. */
#ifndef VELMORA_PDF_CODECS_JPEG_JPEG_GLUE_H
#define VELMORA_PDF_CODECS_JPEG_JPEG_GLUE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Results of the entry functions. */
enum { VJ_OK = 0, VJ_LIBJPEG_ERROR = 1, VJ_REFUSED = 2, VJ_ABORTED = 3 };

/* Colour spaces as the header reports them. */
enum { VJ_CS_UNKNOWN = 0, VJ_CS_GRAY = 1, VJ_CS_RGB = 2, VJ_CS_YCBCR = 3, VJ_CS_CMYK = 4, VJ_CS_YCCK = 5 };

typedef struct vj_header {
  unsigned width, height;
  int components;
  int color_space;     /* VJ_CS_... of the JPEG data */
  int progressive;
  unsigned scaled_width, scaled_height; /* at the scale asked for */
  /* Bytes of the coefficients libjpeg holds for the whole picture when its data come in more
   * than one scan (progressive, or components in scans of their own); 0 for one scan. */
  unsigned long long coefficient_bytes;
} vj_header;

/* Progress: called by libjpeg's progress monitor; a non-zero answer aborts the operation. */
typedef int (*vj_progress_fn)(void* user, long pass_counter, long pass_limit, int completed_passes,
                              int total_passes);

typedef struct vj_decode_options {
  unsigned scale_denom;  /* 1, 2, 4 or 8 */
  int smoothing;
  int grayscale;         /* ask for greyscale output */
  int quantize_8bit;     /* 8-bit output wanted: quantise to 236 colours */
  int fast;              /* fast integer DCT, one-pass quantisation, ordered dithering */
  unsigned long long max_pixels;   /* larger output is refused */
  unsigned long long max_coefficient_bytes; /* more coefficients (vj_header) are refused */
  long max_memory;                 /* libjpeg's own memory beside the coefficients it holds */
  int max_scans;                   /* a progressive file with more scans is abandoned */
  int grey_as_colour;    /* grey data come out as blue, green, red rows (each the grey value) */
} vj_decode_options;

/* Output: begin is called once the output is known (components 1, 3 or 4; colormap non-null
 * for quantised output, as colormap[component][index]); it answers non-zero to stop. row
 * answers the memory of output row y (top row 0, at least width * components bytes). */
typedef struct vj_decode_sink {
  void* user;
  int (*begin)(void* user, unsigned width, unsigned height, int components, int color_space,
               const unsigned char* const* colormap, int colormap_components, int colors);
  unsigned char* (*row)(void* user, unsigned y);
  vj_progress_fn progress;
  /* Optional: called before the rows of each group are asked for, with the rows complete so
   * far and how many the group asks for; a non-zero answer stops the decode. */
  int (*ready)(void* user, unsigned done, unsigned count);
} vj_decode_sink;

/* Reads the header (and the output size at 1/scale_denom). */
int vj_read_header(const unsigned char* data, size_t size, unsigned scale_denom, vj_header* out);

/* The ICC profile the data carry (APP2 "ICC_PROFILE" segments joined as libjpeg joins them),
 * in *profile (malloc'd, free with vj_free) and *length; VJ_OK with *profile NULL when they
 * carry none or their segments do not fit together. */
int vj_read_icc_profile(const unsigned char* data, size_t size, unsigned char** profile, unsigned* length);

/* Decodes into the sink; rows delivered before a failure stay delivered. */
int vj_decompress(const unsigned char* data, size_t size, const vj_decode_options* options,
                  const vj_decode_sink* sink);

/* Row-by-row decoding, for readers that take a picture's samples one row at a time: the
 * samples in libjpeg's own output space for the data (grey, RGB for YCbCr data, CMYK, or the
 * stored components of data in no colour space libjpeg knows), neither quantised nor scaled.
 * Progressive data are refused: they would need the whole picture's coefficients. */
typedef struct vj_rows vj_rows;

/* Reads the header and starts the decode; *out is NULL unless VJ_OK is answered, with the
 * output's width, height and components (bytes a pixel) in *header. The data are read as
 * head followed by data (head may be empty): a datastream's tables kept apart from it are read
 * without being joined to it first. Both are held by the caller until the rows are closed. */
int vj_rows_open(const unsigned char* head, size_t head_size, const unsigned char* data, size_t size, vj_rows** out,
                 vj_header* header);
/* The next row into row (width * components bytes). After a failure, or past the last row,
 * every call fails. */
int vj_rows_read(vj_rows* rows, unsigned char* row);
void vj_rows_close(vj_rows* rows);

typedef struct vj_compress_params {
  unsigned width, height;
  int grayscale;       /* write a greyscale JPEG */
  int quality;         /* 1..100 */
  unsigned density;    /* dots per inch in the JFIF header, 1..65535 */
  void* user;
  /* Row y of the source in blue, green, red order. */
  const unsigned char* (*row)(void* user, unsigned y);
  vj_progress_fn progress;
} vj_compress_params;

/* Compresses; *out (malloc'd, free with vj_free) receives what was written even after a
 * failure. */
int vj_compress(const vj_compress_params* params, unsigned char** out, size_t* out_size);
void vj_free(void* p);

#ifdef __cplusplus
}
#endif

#endif
