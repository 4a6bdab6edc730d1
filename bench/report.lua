-- wrk hook: one machine-readable line with the run's totals:
-- RESULT req/s bytes/s requests errors p99-ms
done = function(summary, latency, requests)
  local seconds = summary.duration / 1e6
  local e = summary.errors
  io.write(string.format("RESULT %.1f %.1f %d %d %.1f\n", summary.requests / seconds,
    summary.bytes / seconds, summary.requests,
    e.connect + e.read + e.write + e.status + e.timeout, latency:percentile(99) / 1000))
end
