/* What the test programs that write metafiles with libUEMF, an independent EMF and WMF writer,
   share: the files and handle tables being written, records appended with a check (and, where a
   program sets list_records, the type of each printed, one a line), short makers of rectangles,
   points and sizes, and the start and end of each kind of file. */
#ifndef VELMORA_TESTS_UEMF_WRITER_H
#define VELMORA_TESTS_UEMF_WRITER_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <uemf.h>
#include <uwmf.h>

static EMFTRACK *et;
static EMFHANDLES *eht;
static WMFTRACK *wt;
static WMFHANDLES *wht;
/* Print the type of every record appended: EMF the record type, WMF the record function. */
static int list_records;

#define E(rec) emf_record((rec), __LINE__)
#define W(rec) wmf_record((rec), __LINE__)

static inline void emf_record(char *rec, int line) {
  if (!rec) { fprintf(stderr, "record not made at line %d\n", line); exit(2); }
  if (list_records) { uint32_t type; memcpy(&type, rec, 4); printf("%u\n", type); }
  if (emf_append((U_ENHMETARECORD *)rec, et, 1)) { fprintf(stderr, "append failed\n"); exit(2); }
}

static inline void wmf_record(char *rec, int line) {
  if (!rec) { fprintf(stderr, "record not made at line %d\n", line); exit(2); }
  if (list_records) { uint16_t fn; memcpy(&fn, rec + 4, 2); printf("%u\n", fn); }
  if (wmf_append((U_METARECORD *)rec, wt, 1)) { fprintf(stderr, "append failed\n"); exit(2); }
}

static inline U_RECTL R(int l, int t, int r, int b) { U_RECTL x = {l, t, r, b}; return x; }
static inline U_POINTL P(int x, int y) { U_POINTL p = {x, y}; return p; }
static inline U_SIZEL S(int x, int y) { U_SIZEL s = {x, y}; return s; }
static inline U_RECT16 R16(int l, int t, int r, int b) { U_RECT16 x = {l, t, r, b}; return x; }
static inline U_POINT16 P16(int x, int y) { U_POINT16 p = {x, y}; return p; }

/* Starts an EMF file: its buffer and handle table grow by the given steps; the header gives the
   bounds in pixels, the frame in hundredths of a millimetre and the reference device's size in
   pixels and millimetres. */
static inline void emf_open(const char *path, uint32_t size, uint32_t handles, U_RECTL bounds, U_RECTL frame,
                            U_SIZEL dev, U_SIZEL mm) {
  if (emf_start(path, size, size, &et) || emf_htable_create(handles, handles, &eht)) exit(2);
  E(U_EMRHEADER_set(bounds, frame, NULL, 0, NULL, dev, mm, 0));
}

static inline void emf_end(void) {
  E(U_EMREOF_set(0, NULL, et));
  if (emf_finish(et, eht)) exit(2);
  emf_free(&et);
  emf_htable_free(&eht);
}

/* Starts a placeable WMF file of the size in inches at 96 units an inch. */
/* A placeable WMF of width x height inches at `dpi` units an inch. */
static inline void wmf_open_at(const char *path, uint32_t size, uint32_t handles, float width, float height,
                               unsigned dpi) {
  if (wmf_start(path, size, size, &wt) || wmf_htable_create(handles, handles, &wht)) exit(2);
  U_PAIRF *size_in = U_PAIRF_set(width, height);
  char *h = U_WMRHEADER_set(size_in, dpi);
  free(size_in);
  if (!h || wmf_header_append((U_METARECORD *)h, wt, 1)) exit(2);
}

static inline void wmf_open(const char *path, uint32_t size, uint32_t handles, float width, float height) {
  wmf_open_at(path, size, handles, width, height, 96);
}

static inline void wmf_end(void) {
  W(U_WMREOF_set());
  if (wmf_finish(wt)) exit(2);
  wmf_free(&wt);
  wmf_htable_free(&wht);
}

#endif
