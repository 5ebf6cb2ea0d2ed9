#include "pdf/codecs/jpeg/jpeg_glue.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>
#include <jerror.h>

/* ---- error manager: warnings are ignored, a fatal error jumps back to the entry function */

enum { VJ_JUMP_ERROR = 1, VJ_JUMP_ABORT = 2 };

typedef struct vj_error {
  struct jpeg_error_mgr pub;
  jmp_buf jump;
} vj_error;

static void vj_error_exit(j_common_ptr cinfo) {
  vj_error* e = (vj_error*)cinfo->err;
  longjmp(e->jump, VJ_JUMP_ERROR);
}

static void vj_emit_message(j_common_ptr cinfo, int level) {
  (void)cinfo;
  (void)level;
}

static void vj_output_message(j_common_ptr cinfo) { (void)cinfo; }

static void vj_init_error(vj_error* e) {
  jpeg_std_error(&e->pub);
  e->pub.error_exit = vj_error_exit;
  e->pub.emit_message = vj_emit_message;
  e->pub.output_message = vj_output_message;
}

/* ---- progress monitor: the caller's callback, and the scan limit of progressive files */

typedef struct vj_progress {
  struct jpeg_progress_mgr pub;
  vj_progress_fn fn;
  void* user;
  int max_scans;
} vj_progress;

static void vj_progress_monitor(j_common_ptr cinfo) {
  vj_progress* p = (vj_progress*)cinfo->progress;
  vj_error* e = (vj_error*)cinfo->err;
  if (cinfo->is_decompressor && p->max_scans > 0 &&
      ((j_decompress_ptr)cinfo)->input_scan_number > p->max_scans) {
    longjmp(e->jump, VJ_JUMP_ABORT);
  }
  if (p->fn != NULL && p->fn(p->user, p->pub.pass_counter, p->pub.pass_limit, p->pub.completed_passes,
                             p->pub.total_passes) != 0) {
    longjmp(e->jump, VJ_JUMP_ABORT);
  }
}

static int vj_color_space(J_COLOR_SPACE cs) {
  switch (cs) {
    case JCS_GRAYSCALE: return VJ_CS_GRAY;
    case JCS_RGB: return VJ_CS_RGB;
    case JCS_YCbCr: return VJ_CS_YCBCR;
    case JCS_CMYK: return VJ_CS_CMYK;
    case JCS_YCCK: return VJ_CS_YCCK;
    default: return VJ_CS_UNKNOWN;
  }
}

/* The coefficients libjpeg keeps for the whole picture (its full coefficient buffer) when the
 * data come in several scans: each component's blocks, rounded up to its sampling factors, of
 * 64 coefficients of two bytes. Valid once the header has been read. */
static unsigned long long vj_coefficient_bytes(const struct jpeg_decompress_struct* cinfo) {
  unsigned long long bytes = 0;
  int c;
  if (!cinfo->progressive_mode && cinfo->comps_in_scan >= cinfo->num_components) return 0;
  for (c = 0; c < cinfo->num_components; ++c) {
    const jpeg_component_info* comp = &cinfo->comp_info[c];
    const unsigned long long h = (unsigned long long)comp->h_samp_factor, v = (unsigned long long)comp->v_samp_factor;
    const unsigned long long across = (comp->width_in_blocks + h - 1) / h * h;
    const unsigned long long down = (comp->height_in_blocks + v - 1) / v * v;
    bytes += across * down * sizeof(JBLOCK);
  }
  return bytes;
}

/* ---- header */

int vj_read_header(const unsigned char* data, size_t size, unsigned scale_denom, vj_header* out) {
  struct jpeg_decompress_struct cinfo;
  vj_error err;
  memset(out, 0, sizeof *out);
  if (data == NULL || size == 0) return VJ_REFUSED;
  memset(&cinfo, 0, sizeof cinfo);
  vj_init_error(&err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return VJ_LIBJPEG_ERROR;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_save_markers(&cinfo, JPEG_APP0 + 14, 256);
  jpeg_mem_src(&cinfo, data, (unsigned long)size);
  jpeg_read_header(&cinfo, TRUE);
  out->width = cinfo.image_width;
  out->height = cinfo.image_height;
  out->components = cinfo.num_components;
  out->color_space = vj_color_space(cinfo.jpeg_color_space);
  out->progressive = cinfo.progressive_mode ? 1 : 0;
  out->coefficient_bytes = vj_coefficient_bytes(&cinfo);
  cinfo.scale_num = 1;
  cinfo.scale_denom = scale_denom ? scale_denom : 1;
  jpeg_calc_output_dimensions(&cinfo);
  out->scaled_width = cinfo.output_width;
  out->scaled_height = cinfo.output_height;
  jpeg_destroy_decompress(&cinfo);
  return VJ_OK;
}

/* ---- the embedded ICC profile */

typedef struct vj_profile_context {
  struct jpeg_decompress_struct cinfo;
  vj_error err;
} vj_profile_context;

static int vj_read_icc_profile_in(vj_profile_context* c, const unsigned char* data, size_t size,
                                  unsigned char** profile, unsigned* length) {
  struct jpeg_decompress_struct* cinfo = &c->cinfo;
  JOCTET* icc = NULL;
  unsigned int iccLength = 0;
  vj_init_error(&c->err);
  cinfo->err = &c->err.pub;
  if (setjmp(c->err.jump)) {
    jpeg_destroy_decompress(cinfo);
    return VJ_LIBJPEG_ERROR;
  }
  jpeg_create_decompress(cinfo);
  /* Whole segments, as the GDI+ provider keeps them: the profile is theirs joined. */
  jpeg_save_markers(cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_mem_src(cinfo, data, (unsigned long)size);
  jpeg_read_header(cinfo, TRUE);
  if (jpeg_read_icc_profile(cinfo, &icc, &iccLength) && icc != NULL) {
    *profile = icc;
    *length = iccLength;
  }
  jpeg_destroy_decompress(cinfo);
  return VJ_OK;
}

int vj_read_icc_profile(const unsigned char* data, size_t size, unsigned char** profile, unsigned* length) {
  vj_profile_context c;
  *profile = NULL;
  *length = 0;
  if (data == NULL || size == 0 || size > 0xFFFFFFFFu) return VJ_REFUSED;
  memset(&c, 0, sizeof c);
  return vj_read_icc_profile_in(&c, data, size, profile, length);
}

/* ---- decoding */

static void vj_choose_output(struct jpeg_decompress_struct* cinfo, const vj_decode_options* o) {
  const int colour = cinfo->jpeg_color_space == JCS_YCbCr || cinfo->jpeg_color_space == JCS_RGB;
  cinfo->scale_num = 1;
  cinfo->scale_denom = o->scale_denom ? o->scale_denom : 1;
  cinfo->do_block_smoothing = o->smoothing ? TRUE : FALSE;
  if (o->grayscale && (colour || cinfo->jpeg_color_space == JCS_GRAYSCALE)) {
    cinfo->out_color_space = JCS_GRAYSCALE;
  } else if (colour || (o->grey_as_colour && cinfo->jpeg_color_space == JCS_GRAYSCALE)) {
    cinfo->out_color_space = JCS_EXT_BGR;  /* the bitmap's memory order */
  }
  /* Quantised output only where a palette can describe it: grey or BGR, not CMYK. */
  if ((o->quantize_8bit || cinfo->out_color_space == JCS_GRAYSCALE) &&
      (cinfo->out_color_space == JCS_GRAYSCALE || cinfo->out_color_space == JCS_EXT_BGR)) {
    cinfo->quantize_colors = TRUE;
    cinfo->desired_number_of_colors = 236;
  }
  if (o->fast) {
    cinfo->dct_method = JDCT_IFAST;
    cinfo->two_pass_quantize = FALSE;
    cinfo->dither_mode = JDITHER_ORDERED;
  }
}

/* The state a fatal error jumps over lives in the caller's frame: the C standard leaves the
 * values of the jumping function's own automatic variables undefined after longjmp. */
typedef struct vj_decode_context {
  struct jpeg_decompress_struct cinfo;
  vj_error err;
  vj_progress progress;
} vj_decode_context;

static int vj_decompress_in(vj_decode_context* c, const unsigned char* data, size_t size,
                            const vj_decode_options* options, const vj_decode_sink* sink) {
  struct jpeg_decompress_struct* cinfo = &c->cinfo;
  int jumped;
  vj_init_error(&c->err);
  cinfo->err = &c->err.pub;
  jumped = setjmp(c->err.jump);
  if (jumped) {
    jpeg_destroy_decompress(cinfo);
    return jumped == VJ_JUMP_ABORT ? VJ_ABORTED : VJ_LIBJPEG_ERROR;
  }
  jpeg_create_decompress(cinfo);
  c->progress.pub.progress_monitor = vj_progress_monitor;
  c->progress.fn = sink->progress;
  c->progress.user = sink->user;
  c->progress.max_scans = options->max_scans;
  cinfo->progress = &c->progress.pub;
  jpeg_save_markers(cinfo, JPEG_APP0 + 14, 256);
  jpeg_mem_src(cinfo, data, (unsigned long)size);
  jpeg_read_header(cinfo, TRUE);
  vj_choose_output(cinfo, options);
  jpeg_calc_output_dimensions(cinfo);
  {
    /* Refused from the header, before any work: a picture of more pixels or coefficients than
     * its data allow. The coefficients a picture of several scans needs are then allowed. */
    const unsigned long long coefficients = vj_coefficient_bytes(cinfo);
    if ((unsigned long long)cinfo->output_width * cinfo->output_height > options->max_pixels ||
        coefficients > options->max_coefficient_bytes) {
      jpeg_destroy_decompress(cinfo);
      return VJ_REFUSED;
    }
    if (options->max_memory > 0) cinfo->mem->max_memory_to_use = (long)(options->max_memory + coefficients);
  }
  jpeg_start_decompress(cinfo);
  {
    const int quantised = cinfo->quantize_colors && cinfo->colormap != NULL;
    const J_COLOR_SPACE cs = cinfo->out_color_space == JCS_EXT_BGR ? JCS_RGB : cinfo->out_color_space;
    if (sink->begin(sink->user, cinfo->output_width, cinfo->output_height, cinfo->output_components,
                    vj_color_space(cs), quantised ? (const unsigned char* const*)cinfo->colormap : NULL,
                    quantised ? cinfo->out_color_components : 0, quantised ? cinfo->actual_number_of_colors : 0)) {
      jpeg_destroy_decompress(cinfo);
      return VJ_ABORTED;
    }
  }
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW rows[16];
    unsigned n = cinfo->output_height - cinfo->output_scanline, i;
    if (n > (unsigned)cinfo->rec_outbuf_height) n = (unsigned)cinfo->rec_outbuf_height;
    if (n > 16) n = 16;
    if (n == 0) n = 1;
    if (sink->ready != NULL && sink->ready(sink->user, cinfo->output_scanline, n)) {
      jpeg_destroy_decompress(cinfo);
      return VJ_ABORTED;
    }
    for (i = 0; i < n; ++i) rows[i] = sink->row(sink->user, cinfo->output_scanline + i);
    if (jpeg_read_scanlines(cinfo, rows, n) == 0) {
      /* No progress (cannot happen with a memory source): stop rather than spin. */
      jpeg_destroy_decompress(cinfo);
      return VJ_LIBJPEG_ERROR;
    }
  }
  jpeg_finish_decompress(cinfo);
  jpeg_destroy_decompress(cinfo);
  return VJ_OK;
}

int vj_decompress(const unsigned char* data, size_t size, const vj_decode_options* options,
                  const vj_decode_sink* sink) {
  vj_decode_context c;
  if (data == NULL || size == 0) return VJ_REFUSED;
  memset(&c, 0, sizeof c);
  return vj_decompress_in(&c, data, size, options, sink);
}

/* ---- decoding row by row: the jump point is set again by every entry function, and the
 * decompressor lives on the heap, not in a frame a jump would leave */

/* A source of two parts read one after the other, then (as libjpeg's memory source does) an
 * end marker for a datastream that ends too soon. */
typedef struct vj_parts_src {
  struct jpeg_source_mgr pub;
  const JOCTET* parts[2];
  size_t sizes[2];
  int next; /* the part fill_input_buffer hands over next */
} vj_parts_src;

static void vj_parts_init(j_decompress_ptr cinfo) { (void)cinfo; }

static boolean vj_parts_fill(j_decompress_ptr cinfo) {
  static const JOCTET eoi[2] = {0xFF, JPEG_EOI};
  vj_parts_src* src = (vj_parts_src*)cinfo->src;
  while (src->next < 2) {
    const int part = src->next++;
    if (src->sizes[part] == 0) continue;
    src->pub.next_input_byte = src->parts[part];
    src->pub.bytes_in_buffer = src->sizes[part];
    return TRUE;
  }
  WARNMS(cinfo, JWRN_JPEG_EOF);
  src->pub.next_input_byte = eoi;
  src->pub.bytes_in_buffer = 2;
  return TRUE;
}

static void vj_parts_skip(j_decompress_ptr cinfo, long num_bytes) {
  struct jpeg_source_mgr* src = cinfo->src;
  if (num_bytes <= 0) return;
  /* A marker's length is below 65,536: the loop ends soon even past the data. */
  while (num_bytes > (long)src->bytes_in_buffer) {
    num_bytes -= (long)src->bytes_in_buffer;
    (void)(*src->fill_input_buffer)(cinfo);
  }
  src->next_input_byte += num_bytes;
  src->bytes_in_buffer -= (size_t)num_bytes;
}

static void vj_parts_term(j_decompress_ptr cinfo) { (void)cinfo; }

struct vj_rows {
  struct jpeg_decompress_struct cinfo;
  vj_error err;
  vj_parts_src src;
  int live; /* the decompressor exists */
};

static void vj_rows_end(vj_rows* r) {
  if (r->live) jpeg_destroy_decompress(&r->cinfo);
  r->live = 0;
}

static int vj_rows_start(vj_rows* r, vj_header* header) {
  vj_init_error(&r->err);
  r->cinfo.err = &r->err.pub;
  if (setjmp(r->err.jump)) {
    vj_rows_end(r);
    return VJ_LIBJPEG_ERROR;
  }
  jpeg_create_decompress(&r->cinfo);
  r->live = 1;
  r->src.pub.init_source = vj_parts_init;
  r->src.pub.fill_input_buffer = vj_parts_fill;
  r->src.pub.skip_input_data = vj_parts_skip;
  r->src.pub.resync_to_restart = jpeg_resync_to_restart;
  r->src.pub.term_source = vj_parts_term;
  r->src.pub.bytes_in_buffer = 0;
  r->src.pub.next_input_byte = NULL;
  r->src.next = 0;
  r->cinfo.src = &r->src.pub;
  jpeg_read_header(&r->cinfo, TRUE);
  if (r->cinfo.progressive_mode) {
    vj_rows_end(r);
    return VJ_REFUSED;
  }
  jpeg_start_decompress(&r->cinfo);
  header->width = r->cinfo.output_width;
  header->height = r->cinfo.output_height;
  header->components = r->cinfo.output_components;
  header->color_space = vj_color_space(r->cinfo.out_color_space);
  header->scaled_width = r->cinfo.output_width;
  header->scaled_height = r->cinfo.output_height;
  return VJ_OK;
}

int vj_rows_open(const unsigned char* head, size_t head_size, const unsigned char* data, size_t size, vj_rows** out,
                 vj_header* header) {
  vj_rows* r;
  int result;
  *out = NULL;
  memset(header, 0, sizeof *header);
  if (data == NULL || size == 0) return VJ_REFUSED;
  r = (vj_rows*)calloc(1, sizeof *r);
  if (r == NULL) return VJ_REFUSED;
  r->src.parts[0] = head;
  r->src.sizes[0] = head == NULL ? 0 : head_size;
  r->src.parts[1] = data;
  r->src.sizes[1] = size;
  result = vj_rows_start(r, header);
  if (result != VJ_OK) {
    free(r);
    return result;
  }
  *out = r;
  return VJ_OK;
}

int vj_rows_read(vj_rows* r, unsigned char* row) {
  JSAMPROW rows[1];
  if (r == NULL || !r->live || r->cinfo.output_scanline >= r->cinfo.output_height) return VJ_REFUSED;
  rows[0] = row;
  if (setjmp(r->err.jump)) {
    vj_rows_end(r);
    return VJ_LIBJPEG_ERROR;
  }
  if (jpeg_read_scanlines(&r->cinfo, rows, 1) != 1) {
    /* No progress (cannot happen with a memory source): stop rather than spin. */
    vj_rows_end(r);
    return VJ_LIBJPEG_ERROR;
  }
  return VJ_OK;
}

void vj_rows_close(vj_rows* r) {
  if (r == NULL) return;
  vj_rows_end(r);
  free(r);
}

/* ---- compression into a growing memory buffer */

typedef struct vj_dest {
  struct jpeg_destination_mgr pub;
  unsigned char* buffer;
  size_t capacity;
} vj_dest;

static void vj_init_destination(j_compress_ptr cinfo) {
  vj_dest* d = (vj_dest*)cinfo->dest;
  d->pub.next_output_byte = d->buffer;
  d->pub.free_in_buffer = d->capacity;
}

static boolean vj_empty_output_buffer(j_compress_ptr cinfo) {
  vj_dest* d = (vj_dest*)cinfo->dest;
  /* libjpeg calls this only when the whole buffer is full. */
  size_t grown = d->capacity * 2;
  unsigned char* b = (unsigned char*)realloc(d->buffer, grown);
  if (b == NULL) (*cinfo->err->error_exit)((j_common_ptr)cinfo);
  d->pub.next_output_byte = b + d->capacity;
  d->pub.free_in_buffer = grown - d->capacity;
  d->buffer = b;
  d->capacity = grown;
  return TRUE;
}

static void vj_term_destination(j_compress_ptr cinfo) { (void)cinfo; }

typedef struct vj_compress_context {
  struct jpeg_compress_struct cinfo;
  vj_error err;
  vj_progress progress;
  vj_dest dest;
} vj_compress_context;

static int vj_compress_in(vj_compress_context* c, const vj_compress_params* params) {
  struct jpeg_compress_struct* cinfo = &c->cinfo;
  int jumped;
  c->dest.pub.init_destination = vj_init_destination;
  c->dest.pub.empty_output_buffer = vj_empty_output_buffer;
  c->dest.pub.term_destination = vj_term_destination;
  vj_init_error(&c->err);
  cinfo->err = &c->err.pub;
  jumped = setjmp(c->err.jump);
  if (jumped) {
    jpeg_destroy_compress(cinfo);
    return jumped == VJ_JUMP_ABORT ? VJ_ABORTED : VJ_LIBJPEG_ERROR;
  }
  jpeg_create_compress(cinfo);
  c->progress.pub.progress_monitor = vj_progress_monitor;
  c->progress.fn = params->progress;
  c->progress.user = params->user;
  cinfo->progress = &c->progress.pub;
  cinfo->dest = &c->dest.pub;
  cinfo->image_width = params->width;
  cinfo->image_height = params->height;
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_EXT_BGR;  /* the bitmap's memory order */
  jpeg_set_defaults(cinfo);
  cinfo->density_unit = 1;
  cinfo->X_density = (UINT16)params->density;
  cinfo->Y_density = (UINT16)params->density;
  jpeg_set_quality(cinfo, params->quality, TRUE);
  if (params->grayscale) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = (JSAMPROW)params->row(params->user, cinfo->next_scanline);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
  jpeg_destroy_compress(cinfo);
  return VJ_OK;
}

int vj_compress(const vj_compress_params* params, unsigned char** out, size_t* out_size) {
  vj_compress_context c;
  int result;
  *out = NULL;
  *out_size = 0;
  memset(&c, 0, sizeof c);
  c.dest.capacity = 65536;
  c.dest.buffer = (unsigned char*)malloc(c.dest.capacity);
  if (c.dest.buffer == NULL) return VJ_REFUSED;
  result = vj_compress_in(&c, params);
  /* What was written, also before an error, goes to the caller. */
  *out = c.dest.buffer;
  *out_size = c.dest.pub.next_output_byte != NULL ? c.dest.capacity - c.dest.pub.free_in_buffer : 0;
  return result;
}

void vj_free(void* p) { free(p); }
