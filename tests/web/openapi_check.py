#!/usr/bin/python3
"""Checks answers of the web server against docs/openapi.yaml.

Usage: openapi_check.py OPENAPI.yaml EXCHANGES.json

EXCHANGES.json is a list of {"method", "path", "status", "type", "body"}:
the request's method and path (query left out), the answer's status and
Content-Type, and its body parsed as JSON (null when it is not JSON). Each
must match an operation of the description, list its status, name its media
type, and a JSON body must fit the schema given there. Prints every mismatch
and exits 1 when there is any.
"""

import json
import re
import sys

import yaml

TYPES = {
    "object": dict,
    "array": list,
    "string": str,
    "boolean": bool,
}


def node_path(ref):
    if not ref.startswith("#/"):
        raise ValueError("only local references: " + ref)
    return ref[2:].split("/")


def deref(api, node):
    while isinstance(node, dict) and "$ref" in node:
        target = api
        for part in node_path(node["$ref"]):
            target = target[part]
        node = target
    return node


def check_value(api, schema, value, where, problems):
    schema = deref(api, schema)
    if value is None:
        if not schema.get("nullable", False) and schema:
            problems.append(f"{where}: null where the description allows none")
        return
    kind = schema.get("type")
    if kind == "integer":
        if isinstance(value, bool) or not (isinstance(value, int) or
                                           (isinstance(value, float) and value.is_integer())):
            problems.append(f"{where}: {value!r} is no integer")
            return
    elif kind == "number":
        if isinstance(value, bool) or not isinstance(value, (int, float)):
            problems.append(f"{where}: {value!r} is no number")
            return
    elif kind in TYPES and not isinstance(value, TYPES[kind]):
        problems.append(f"{where}: {type(value).__name__} where {kind} is described")
        return
    if "enum" in schema and value not in schema["enum"]:
        problems.append(f"{where}: {value!r} is not one of {schema['enum']}")
    if isinstance(value, dict):
        properties = schema.get("properties", {})
        for name in schema.get("required", []):
            if name not in value:
                problems.append(f"{where}: no \"{name}\"")
        extra = schema.get("additionalProperties", True)
        for name, item in value.items():
            if name in properties:
                check_value(api, properties[name], item, f"{where}.{name}", problems)
            elif isinstance(extra, dict):
                check_value(api, extra, item, f"{where}.{name}", problems)
            elif extra is False:
                problems.append(f"{where}: \"{name}\" is not described")
    if isinstance(value, list) and "items" in schema:
        for i, item in enumerate(value):
            check_value(api, schema["items"], item, f"{where}[{i}]", problems)


def find_operation(api, method, path):
    """The matching path's template and the method's operation (None when
    the path is described for other methods only)."""
    found = None
    for template, item in api["paths"].items():
        pattern = "^" + re.sub(r"\\\{[^}]+\\\}", "[^/]+", re.escape(template)) + "$"
        if re.match(pattern, path):
            operation = item.get(method.lower())
            if operation is None and method == "HEAD":
                operation = item.get("get")
            if operation is not None:
                return template, operation
            found = template
    return found, None


def check(api, exchange, problems):
    method, path, status = exchange["method"], exchange["path"], str(exchange["status"])
    where = f"{method} {path} {status}"
    template, operation = find_operation(api, method, path)
    if operation is None and template is not None and status == "405":
        return  # a method the path does not take, refused as described
    if operation is None:
        problems.append(f"{where}: no such operation is described")
        return
    responses = operation.get("responses", {})
    if status not in responses:
        problems.append(f"{where}: status not described for {template}")
        return
    response = deref(api, responses[status])
    content = response.get("content")
    if not content or exchange["body"] is None:
        return
    media = exchange["type"].split(";")[0].strip()
    if media not in content:
        problems.append(f"{where}: {media} is not described (only {list(content)})")
        return
    schema = content[media].get("schema")
    if schema is not None:
        check_value(api, schema, exchange["body"], where, problems)


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        api = yaml.safe_load(f)
    with open(sys.argv[2], encoding="utf-8") as f:
        exchanges = json.load(f)
    problems = []
    for exchange in exchanges:
        check(api, exchange, problems)
    for problem in problems:
        print(problem)
    print(f"{len(exchanges)} answers checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
