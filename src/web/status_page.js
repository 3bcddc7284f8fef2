// Fetches the station's status every second and brings the device cards up to
// date, touching only what changed (a station may have hundreds of devices);
// says so at once when the station stops answering.
"use strict";

const valueNames = ["MAX", "MAX Hold", "AVE", "Pilot", "RDS", "Pm", "Level", "Signal Quality",
                    "PI", "Time Error"];
const link = document.getElementById("link");
const uptime = document.getElementById("uptime");
const devices = document.getElementById("devices");
const cards = new Map(); // device index -> its card's elements
let lastAnswer = null;
let tick = 0;

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function setText(e, text) {
  if (e.textContent !== text) e.textContent = text;
}

function modeText(d) {
  const modes = [];
  if (d.measuring) modes.push("measuring");
  if (d.rds) modes.push("RDS");
  return modes.length ? modes.join(" + ") : "idle";
}

function buildCard(d) {
  const c = {values: new Map(), alarms: new Map(), activityText: null};
  c.card = element("section", "device");
  c.card.id = "device-" + d.index;
  c.card.setAttribute("aria-label", d.name);
  const title = element("h2", null, d.name + " ");
  c.connection = element("span", "state");
  c.connection.dataset.field = "connection";
  title.append(c.connection);
  c.station = element("p", "station");
  c.station.dataset.field = "station";
  c.card.append(title, c.station);

  const table = element("table", "values");
  for (const name of ["Measuring countdown", "RDS countdown", ...valueNames]) {
    const tr = element("tr");
    const td = element("td");
    td.dataset.value = name;
    tr.append(element("th", null, name), td);
    table.append(tr);
    c.values.set(name, td);
  }
  c.card.append(table);

  const alarms = element("ul", "alarms");
  alarms.setAttribute("aria-label", "Alarms");
  for (const a of d.alarms) {
    const li = element("li", null, a.name);
    li.dataset.kind = a.kind;
    alarms.append(li);
    c.alarms.set(a.kind, li);
  }
  c.card.append(alarms);

  // Only the cards in view fetch their picture.
  c.picture = element("img", "histogram");
  c.picture.loading = "lazy";
  c.picture.alt = "Deviation histogram of " + d.name;
  c.picture.width = 480;
  c.picture.height = 300;
  c.activity = element("ol", "activity");
  c.activity.setAttribute("aria-label", "Recent activity");
  c.card.append(c.picture, c.activity);
  return c;
}

function updateCard(c, d) {
  setText(c.connection, d.connected ? "connected" : "not connected");
  c.connection.className = "state " + (d.connected ? "up" : "down");
  const station = d.station
    ? d.station.name + " — " + d.station.frequency_mhz + " MHz — " + modeText(d)
    : "no station";
  setText(c.station, station + (d.paused ? " (paused)" : ""));
  setText(c.values.get("Measuring countdown"), String(d.countdowns.measuring));
  setText(c.values.get("RDS countdown"), String(d.countdowns.rds));
  for (const name of valueNames)
    setText(c.values.get(name), d.values[name] === null ? "–" : d.values[name]);
  for (const a of d.alarms) {
    const li = c.alarms.get(a.kind);
    if (li.dataset.state !== a.state) li.dataset.state = a.state;
    li.className = a.enabled ? "enabled" : "disabled";
    li.title = a.name + ": " + a.state + (a.enabled ? "" : " (disabled)");
  }
  const activityText = d.activity.join("\n");
  if (activityText !== c.activityText) {
    c.activityText = activityText;
    c.activity.replaceChildren(...d.activity.map(line => element("li", null, line)));
  }
  // The histogram is drawn by the station: fetched again every tenth second.
  if (!c.picture.src || tick % 10 === 0)
    c.picture.src = "/device/" + d.index + "/histogram.png?width=480&height=300&t=" + tick;
}

function show(status) {
  if (cards.size !== status.devices.length) {
    cards.clear();
    for (const d of status.devices) cards.set(d.index, buildCard(d));
    devices.replaceChildren(...[...cards.values()].map(c => c.card));
  }
  for (const d of status.devices) updateCard(cards.get(d.index), d);
  setText(uptime, "Up " + status.uptime);
}

async function refresh() {
  tick += 1;
  try {
    const response = await fetch("/api/v1/status", {cache: "no-store",
                                                    signal: AbortSignal.timeout(2500)});
    if (!response.ok) throw new Error("HTTP " + response.status);
    show(await response.json());
    lastAnswer = new Date();
    link.dataset.state = "live";
    setText(link, "Live — " + lastAnswer.toLocaleTimeString());
    document.body.classList.remove("lost");
  } catch (e) {
    link.dataset.state = "lost";
    setText(link, "The station is not answering" +
      (lastAnswer ? " since " + lastAnswer.toLocaleTimeString() : "") + " (" + e.message + ")");
    document.body.classList.add("lost");
  }
}

refresh();
setInterval(refresh, 1000);
