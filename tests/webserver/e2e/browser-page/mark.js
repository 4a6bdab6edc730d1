export function mark(body) {
  body.dataset.module = "ran";
}
