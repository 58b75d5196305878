# Runs the key validation on CV2_SERVICE_KEY and CV2_PAYLOAD_KEY given with -D:
# cmake -DCV2_SERVICE_KEY=... -DCV2_PAYLOAD_KEY=... -P keys_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/keys.cmake)
cv2_key_bytes(CV2_SERVICE_KEY "${CV2_SERVICE_KEY}" 8 service)
cv2_key_bytes(CV2_PAYLOAD_KEY "${CV2_PAYLOAD_KEY}" 16 payload)
message(STATUS "ServiceKey ${service}; PayloadKey ${payload}")
