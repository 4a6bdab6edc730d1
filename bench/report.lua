-- wrk hook: one machine-readable line with the run's totals.
done = function(summary, latency, requests)
  local seconds = summary.duration / 1e6
  local e = summary.errors
  io.write(string.format("RESULT %.1f %.1f %d %d\n", summary.requests / seconds,
    summary.bytes / seconds, summary.requests,
    e.connect + e.read + e.write + e.status + e.timeout))
end
