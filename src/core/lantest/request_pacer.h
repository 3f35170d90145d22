#pragma once
#include <cstdint>

namespace qnc {

// How many download requests a pipelined client may have sent. One request
// asks for one reply, but a server that finds several requests waiting reads
// them in one receive and answers once, so counting replies would let the
// requests in flight dwindle. The pacer counts bytes instead: a first window
// of requests, then three requests for every two replies' worth of bytes
// received. That keeps more requests out than the server answers singly (the
// pipeline grows until the path is full, and a surplus costs the server only
// a coalesced receive) while the requests stay about 1.5 % of the bytes that
// come back. A server that stops replying, or replies with far less than a
// reply's worth, gets no further requests: the client's receive then waits in
// vain and the connection ends as a stalled one.
class RequestPacer {
 public:
  static constexpr int kFirstWindow = 8;

  // replyBytes: what the server sends for one request (at least 1).
  explicit RequestPacer(std::int64_t replyBytes);

  void Received(std::int64_t bytes);
  void Sent() { ++sent_; }
  // Requests that may go out now. One receive of at most one reply's worth of
  // bytes makes at most two more due.
  std::int64_t Due() const;

 private:
  std::int64_t replyBytes_;
  std::int64_t received_ = 0;
  std::int64_t sent_ = 0;
};

}  // namespace qnc
