// The login: the name and password go as JSON; the station answers with the
// session cookie, or says why not (a wrong password, or wait after failures).
"use strict";

const form = document.getElementById("login");
const message = document.getElementById("message");

form.addEventListener("submit", async event => {
  event.preventDefault();
  setText(message, "");
  try {
    const response = await fetch("/api/v1/login", {
      method: "POST",
      headers: {"Content-Type": "application/json"},
      body: JSON.stringify({user: document.getElementById("user").value,
                            password: document.getElementById("password").value})});
    if (response.ok) {
      location.href = "/";
      return;
    }
    const answer = await response.json().catch(() => ({error: "HTTP " + response.status}));
    const wait = response.headers.get("Retry-After");
    setText(message, answer.error + (response.status === 429 && wait ? " (" + wait + " s)" : ""));
  } catch (e) {
    setText(message, "The station is not answering (" + e.message + ")");
  }
});
