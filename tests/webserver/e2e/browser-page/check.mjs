// A module script, importing another: browsers run both only when each is
// served with a JavaScript media type.
import { mark } from "./mark.js";

mark(document.body);
