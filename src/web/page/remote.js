// The web remote's page: logs in, shows the state the program sends and
// sends what is pressed. Every text from the program goes in as text, never
// as markup.
"use strict";

const $ = (id) => document.getElementById(id);
let events = null;
let problemTimer = 0;

function make(tag, className, text) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function showProblem(text) {
  const p = $("problem");
  p.textContent = text;
  p.hidden = false;
  clearTimeout(problemTimer);
  problemTimer = setTimeout(() => { p.hidden = true; }, 5000);
}

async function call(path, body) {
  const options = body === undefined ? {} : {
    method: "POST", headers: { "Content-Type": "application/json" }, body: JSON.stringify(body),
  };
  let reply;
  try {
    reply = await fetch(path, options);
  } catch (e) {
    showProblem("Zulmarin does not answer.");
    return null;
  }
  if (reply.status === 401 && path !== "/api/login") {
    showLogin();
    return null;
  }
  const data = await reply.json().catch(() => ({}));
  if (!reply.ok) {
    if (path !== "/api/login") showProblem(data.error || ("The request failed (" + reply.status + ")."));
    return { failed: data.error || String(reply.status) };
  }
  return data;
}

function showLogin() {
  if (events) events.close();
  events = null;
  $("remote").hidden = true;
  $("timers").hidden = true;
  $("logout").hidden = true;
  $("login").hidden = false;
  $("password").focus();
}

function commandButton(label, path, body, title) {
  const b = make("button", "", label);
  b.type = "button";
  if (title) b.title = title;
  b.addEventListener("click", () => call(path, body));
  return b;
}

// The assumed state on a pair of buttons: ON lit green, OFF grey, neither while unknown.
function light(on, off, state) {
  on.classList.toggle("lit-on", state === "ON");
  off.classList.toggle("lit-off", state === "OFF");
  on.setAttribute("aria-pressed", String(state === "ON"));
  off.setAttribute("aria-pressed", String(state === "OFF"));
}

// A section is built again only when what it lists changed; the states of
// the units and groups are set on the buttons already there. So a state that
// arrives while a finger is on a button never replaces the button under it.
const listed = {};
function listChanged(name, items) {
  const text = JSON.stringify(items);
  if (listed[name] === text) return false;
  listed[name] = text;
  return true;
}

const unitRows = new Map(); // "A3" -> its ON and OFF buttons and its level

function buildUnits(units) {
  const box = $("units");
  box.replaceChildren();
  unitRows.clear();
  if (!units.length) box.append(make("p", "empty", "No unit is described yet: describe units in the main window."));
  let house = "";
  for (const u of units) {
    if (u.unit[0] !== house) {
      house = u.unit[0];
      box.append(make("h3", "", "House " + house));
    }
    const row = make("div", "unit");
    row.dataset.unit = u.unit;
    const name = make("span", "name", u.description);
    name.append(make("span", "address", u.unit));
    const level = make("span", "level");
    const path = "/api/unit/" + u.unit;
    const on = commandButton("ON", path, { command: "ON" }, u.unit + " on");
    const off = commandButton("OFF", path, { command: "OFF" }, u.unit + " off");
    row.append(name, level, on, off);
    if (u.lamp) row.append(commandButton("BRI", path, { command: "BRI" }, "Brighter"),
                           commandButton("DIM", path, { command: "DIM" }, "Dimmer"));
    unitRows.set(u.unit, { on, off, level });
    box.append(row);
  }
}

function showUnits(units) {
  if (listChanged("units", units.map((u) => [u.unit, u.description, u.lamp]))) buildUnits(units);
  for (const u of units) {
    const row = unitRows.get(u.unit);
    light(row.on, row.off, u.state);
    const level = u.state === "ON" && u.lamp && u.level !== undefined;
    row.level.hidden = !level;
    row.level.textContent = level ? u.level + "%" : "";
  }
}

const groupButtons = new Map(); // group number -> its ON and OFF buttons

function buildGroups(groups) {
  const box = $("groups");
  box.replaceChildren();
  groupButtons.clear();
  for (const g of groups) {
    const label = make("span", "", g.label || ("Group " + g.number));
    const path = "/api/group/" + g.number;
    const on = commandButton("ON", path, { command: "ON" }, "Group " + g.number + " on");
    const off = commandButton("OFF", path, { command: "OFF" }, "Group " + g.number + " off");
    groupButtons.set(g.number, { on, off });
    box.append(label, on, off);
  }
}

function showGroups(groups, panic) {
  if (listChanged("groups", groups.map((g) => [g.number, g.label]))) buildGroups(groups);
  for (const g of groups) {
    const buttons = groupButtons.get(g.number);
    light(buttons.on, buttons.off, g.state);
  }
  const button = $("panic");
  button.hidden = !panic.ready;
  button.textContent = panic.caption || "Panic";
}

function showMacros(macros) {
  if (!listChanged("macros", macros)) return;
  const box = $("macros");
  box.replaceChildren();
  if (!macros.length) box.append(make("p", "empty", "No macros in the program folder."));
  for (const m of macros) box.append(commandButton(m, "/api/macro", { name: m }, "Play " + m));
}

function nextText(t) {
  if (!t.next) return t.never || "—";
  const when = new Date(t.next);
  return isNaN(when) ? t.next : when.toLocaleString([], { weekday: "short", hour: "2-digit", minute: "2-digit" });
}

function showTimers(timers, loop) {
  const button = $("timers");
  button.hidden = false;
  button.setAttribute("aria-pressed", String(timers.on));
  button.textContent = timers.on ? "Timers ON" : "Timers OFF";
  const body = $("timer-table").tBodies[0];
  body.replaceChildren();
  for (const t of timers.list) {
    const row = make("tr");
    row.append(make("td", "", String(t.number)), make("td", "", t.entry), make("td", "", t.start),
               make("td", "days", t.days), make("td", "", timers.on ? nextText(t) : "timers off"));
    body.append(row);
    if (t.status) {
      const status = make("tr");
      const cell = make("td", "status", t.status);
      cell.colSpan = 5;
      status.append(cell);
      body.append(status);
    }
  }
  if (!timers.list.length) {
    const row = make("tr");
    const cell = make("td", "empty", "No timers are set.");
    cell.colSpan = 5;
    row.append(cell);
    body.append(row);
  }
  $("loop").textContent = loop ? "Loop timer: " + loop.entry + " — " + (loop.enabled ? "on" : "off") +
                                 (loop.status ? " — " + loop.status : "") : "";
}

function showState(s) {
  const t = $("transmitter");
  t.textContent = s.transmitter ? "Transmitter ready" : "Transmitter offline";
  t.classList.toggle("offline", !s.transmitter);
  showUnits(s.units);
  showGroups(s.groups, s.panic);
  showMacros(s.macros);
  showTimers(s.timers, s.loop);
}

function addLogLine(line) {
  const log = $("log");
  const atEnd = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
  log.textContent += (log.textContent ? "\n" : "") + line;
  const lines = log.textContent.split("\n");
  if (lines.length > 200) log.textContent = lines.slice(-200).join("\n");
  if (atEnd) log.scrollTop = log.scrollHeight;
}

async function start() {
  const state = await call("/api/state");
  if (!state) return;
  $("login").hidden = true;
  $("remote").hidden = false;
  $("logout").hidden = false;
  showState(state);
  const log = await call("/api/log");
  $("log").textContent = "";
  if (log && log.log) log.log.forEach(addLogLine);
  if (events) events.close();
  events = new EventSource("/api/events");
  events.addEventListener("state", (e) => showState(JSON.parse(e.data)));
  events.addEventListener("log", (e) => addLogLine(JSON.parse(e.data)));
  events.onerror = () => {
    // Closed for good (logged out, or the program stopped): ask whether a login is needed.
    if (events && events.readyState === EventSource.CLOSED) setTimeout(start, 2000);
  };
}

$("login").addEventListener("submit", async (e) => {
  e.preventDefault();
  const reply = await call("/api/login", { password: $("password").value });
  if (!reply) return;
  if (reply.failed) {
    $("login-problem").textContent = reply.failed === "wrong password" ? "Wrong password." : reply.failed;
    return;
  }
  $("password").value = "";
  $("login-problem").textContent = "";
  start();
});
$("logout").addEventListener("click", async () => {
  await call("/api/logout", {});
  showLogin();
});
$("timers").addEventListener("click", () => {
  call("/api/timers", { on: $("timers").getAttribute("aria-pressed") !== "true" });
});
$("panic").addEventListener("click", () => {
  if (confirm("Press the panic button? Its groups switch now.")) call("/api/panic", {});
});
start();
