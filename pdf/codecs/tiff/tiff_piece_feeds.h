// The bytes of a page's pieces handed to their decoders a window at a time: views of the bytes
// held, or stretches of the file read as the decoders come to them (a block read ahead serves
// the small pieces that follow one another, a large piece is read a block at a time), their bit
// order reversed where the page's fill order asks for it. No more than a block of the file is
// held, however large a piece.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "pdf/core/filters/byte_feed.h"

class TTIFFPieces;

class TTIFFPieceFeeds {
 public:
  // The pieces must outlive the feeds; reversed: every byte's bits in reverse order.
  TTIFFPieceFeeds(const TTIFFPieces& pieces, bool reversed);
  ~TTIFFPieceFeeds();
  TTIFFPieceFeeds(const TTIFFPieceFeeds&) = delete;
  TTIFFPieceFeeds& operator=(const TTIFFPieceFeeds&) = delete;

  // Piece i's bytes (i below the pieces' size). Pieces are read one at a time: the feed must be
  // gone before the next is asked for.
  std::unique_ptr<TByteFeed> Feed(size_t i);

  // The file's bytes read ahead, from At.
  struct TBlock {
    std::string Bytes;
    uint64_t At = 0;
  };

 private:
  const TTIFFPieces& pieces_;
  bool reversed_;
  std::shared_ptr<TBlock> block_;
};
