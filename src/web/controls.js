// The operator's controls on a device's page: tune a station of the list,
// pause and resume, stop, the RDS mode and the quick station entry. Shown to
// operators only; the station refuses a viewer's action whatever a page shows.
"use strict";

const controls = document.getElementById("controls");
let session = null;

function button(text, onClick) {
  const b = element("button", null, text);
  b.type = "button";
  b.setAttribute("aria-label", text);
  b.addEventListener("click", onClick);
  return b;
}

function labelled(text, control) {
  control.setAttribute("aria-label", text);
  const label = element("label", null, text + " ");
  label.append(control);
  return label;
}

async function act(action, body) {
  const headers = {"Content-Type": "application/json"};
  if (session.via === "session") headers["X-CSRF-Token"] = session.csrf_token;
  const message = document.getElementById("action-message");
  try {
    const response = await api("/api/v1/devices/" + shownDevice + "/actions/" + action,
                               {method: "POST", headers, body: JSON.stringify(body || {})});
    const answer = await response.json();
    setText(message, response.ok ? (answer.message || "Done") : answer.error);
    message.dataset.outcome = response.ok ? "done" : "refused";
  } catch (e) {
    setText(message, e.message);
    message.dataset.outcome = "refused";
  }
}

async function buildControls() {
  const stations = await (await api("/api/v1/stations")).json();
  const status = await (await api("/api/v1/status")).json();
  const device = status.devices.find(d => d.index === shownDevice);
  if (!device) return;
  const stationBox = element("select");
  stationBox.id = "station-choice";
  for (const s of stations.stations.filter(s => s.device === device.name)) {
    const option = element("option", null, s.frequency_mhz + " - " + s.name);
    option.value = s.name;
    stationBox.append(option);
  }
  const frequency = element("input");
  frequency.id = "quick-frequency";
  frequency.placeholder = "98.5";
  frequency.size = 6;
  const mode = element("select");
  mode.id = "quick-mode";
  for (const [value, text] of [["measuring", "Measuring"], ["rds", "RDS decoding"],
                               ["full", "Full (K30 only)"]]) {
    const option = element("option", null, text);
    option.value = value;
    mode.append(option);
  }
  const message = element("p", "message");
  message.id = "action-message";
  message.setAttribute("role", "status");
  controls.replaceChildren(
    labelled("Station", stationBox),
    button("Tune the station", () => act("tune", {station: stationBox.value})),
    button("Pause", () => act("pause")),
    button("Resume", () => act("resume")),
    button("Stop the device", () => act("stop")),
    button("RDS mode", () => act("rds")),
    labelled("Quick frequency", frequency),
    labelled("Quick mode", mode),
    button("Quick station entry", () => act("quick-station",
                                            {frequency_mhz: frequency.value, mode: mode.value})),
    message);
  controls.hidden = false;
}

currentSession().then(s => {
  session = s;
  showSession(s);
  if (s && s.role === "operator") return buildControls();
}).catch(() => {});
