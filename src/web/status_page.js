// Fetches the station's status every second and redraws the device cards;
// says so at once when the station stops answering.
"use strict";

const valueNames = ["MAX", "MAX Hold", "AVE", "Pilot", "RDS", "Pm", "Level", "Signal Quality",
                    "PI", "Time Error"];
const link = document.getElementById("link");
const uptime = document.getElementById("uptime");
const devices = document.getElementById("devices");
let lastAnswer = null;
let tick = 0;

function element(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function modeText(d) {
  const modes = [];
  if (d.measuring) modes.push("measuring");
  if (d.rds) modes.push("RDS");
  return modes.length ? modes.join(" + ") : "idle";
}

function deviceCard(d) {
  const card = element("section", "device");
  card.id = "device-" + d.index;
  card.setAttribute("aria-label", d.name);
  const title = element("h2", null, d.name + " ");
  const state = element("span", "state " + (d.connected ? "up" : "down"),
                        d.connected ? "connected" : "not connected");
  state.dataset.field = "connection";
  title.append(state);
  card.append(title);

  const station = d.station
    ? d.station.name + " — " + d.station.frequency_mhz + " MHz — " + modeText(d)
    : "no station";
  const stationLine = element("p", "station", station + (d.paused ? " (paused)" : ""));
  stationLine.dataset.field = "station";
  card.append(stationLine);

  const table = element("table", "values");
  const rows = [["Measuring countdown", String(d.countdowns.measuring)],
                ["RDS countdown", String(d.countdowns.rds)]];
  for (const name of valueNames)
    rows.push([name, d.values[name] === null ? "–" : d.values[name]]);
  for (const [name, value] of rows) {
    const tr = element("tr");
    tr.append(element("th", null, name));
    const td = element("td", null, value);
    td.dataset.value = name;
    tr.append(td);
    table.append(tr);
  }
  card.append(table);

  const alarms = element("ul", "alarms");
  alarms.setAttribute("aria-label", "Alarms");
  for (const a of d.alarms) {
    const li = element("li", a.enabled ? "enabled" : "disabled", a.name);
    li.dataset.kind = a.kind;
    li.dataset.state = a.state;
    li.title = a.name + ": " + a.state + (a.enabled ? "" : " (disabled)");
    alarms.append(li);
  }
  card.append(alarms);

  const picture = element("img", "histogram");
  picture.alt = "Deviation histogram of " + d.name;
  // Only the cards in view fetch their picture: a station of hundreds of
  // receivers is not asked for hundreds of pictures at a time.
  picture.loading = "lazy";
  picture.width = 480;
  picture.height = 300;
  card.append(picture);

  const activity = element("ol", "activity");
  activity.setAttribute("aria-label", "Recent activity");
  for (const line of d.activity) activity.append(element("li", null, line));
  card.append(activity);
  return card;
}

// The histogram is drawn by the station: each picture element is kept across
// redraws and fetched again every tenth second only.
const pictures = new Map();

function show(status) {
  const cards = status.devices.map(deviceCard);
  for (const card of cards) {
    const fresh = card.querySelector("img.histogram");
    const kept = pictures.get(card.id);
    if (kept) fresh.replaceWith(kept);
    const img = kept || fresh;
    pictures.set(card.id, img);
    if (!kept || tick % 10 === 0)
      img.src = "/device/" + card.id.slice("device-".length) +
                "/histogram.png?width=480&height=300&t=" + tick;
  }
  devices.replaceChildren(...cards);
  uptime.textContent = "Up " + status.uptime;
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
    link.textContent = "Live — " + lastAnswer.toLocaleTimeString();
    document.body.classList.remove("lost");
  } catch (e) {
    link.dataset.state = "lost";
    link.textContent = "The station is not answering" +
      (lastAnswer ? " since " + lastAnswer.toLocaleTimeString() : "") + " (" + e.message + ")";
    document.body.classList.add("lost");
  }
}

refresh();
setInterval(refresh, 1000);
