// What every page of the station shares: small DOM helpers, requests that go
// to the login when the session has ended, and the bar saying who is logged in.
"use strict";

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function setText(e, text) {
  if (e.textContent !== text) e.textContent = text;
}

// A request of the page's own: marked so that a 401 shows no password box of
// the browser's; the page goes to the login instead.
async function api(path, options = {}) {
  const headers = Object.assign({"X-Requested-With": "vantor"}, options.headers || {});
  const response = await fetch(path, Object.assign({cache: "no-store",
                                                    signal: AbortSignal.timeout(2500)},
                                                   options, {headers}));
  if (response.status === 401 && !path.startsWith("/api/v1/session")) {
    location.href = "/login";
    throw new Error("logged out");
  }
  return response;
}

// Who is looking: {user, role, via, csrf_token}; null when nobody need log in.
async function currentSession() {
  const response = await api("/api/v1/session");
  return response.ok ? response.json() : null;
}

// The session's bar: the user, the role and a logout button.
function showSession(session) {
  const bar = document.getElementById("session");
  if (!bar || !session) return;
  const who = session.user ? session.user + " (" + session.role + ")" : session.role;
  bar.replaceChildren(element("span", null, who));
  if (session.via !== "session") return;
  const out = element("button", null, "Log out");
  out.type = "button";
  out.setAttribute("aria-label", "Log out");
  out.addEventListener("click", async () => {
    await api("/api/v1/logout", {method: "POST",
                                 headers: {"X-CSRF-Token": session.csrf_token}});
    location.href = "/login";
  });
  bar.append(out);
}
